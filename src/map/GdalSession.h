#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>

namespace map {

// Starts GDAL once per program, before its first use: every driver registered (opening is limited to
// the map formats where files are opened), its block cache kept to a size that a large raster cannot
// swell, and PROJ's network access off: a reference system never fetches anything.
void startGdal();

// GDAL's warnings and errors while it lives, on this thread: they reach this object instead of the
// terminal (also there when ZEFRO_DEBUG is set), and the first failure's text is kept for the detail
// of an Error. One around every stretch of GDAL calls, so that a failure is told by its own reason and
// never by one left over from an earlier call.
class GdalErrors
{
public:
    GdalErrors();
    GdalErrors(const GdalErrors &) = delete;
    GdalErrors &operator=(const GdalErrors &) = delete;
    ~GdalErrors();

    // Whether GDAL reported a failure since this object was made or last cleared.
    [[nodiscard]] bool failed() const { return m_failure.has_value(); }
    void clear() { m_failure.reset(); }
    // `detail` followed by GDAL's reason, when it gave one: "file troncato; GDAL: ...".
    [[nodiscard]] QString withReason(const QString &detail) const;

private:
    friend struct GdalErrorsHandler;
    void receive(bool failure, const char *message);

    std::optional<std::string> m_failure;
    bool m_echo = false; // ZEFRO_DEBUG: shown on the terminal too
};

// A GDAL configuration option set on this thread while the object lives, then given back the value it
// had before (or none).
class GdalOption
{
public:
    GdalOption(const char *key, const char *value);
    GdalOption(const GdalOption &) = delete;
    GdalOption &operator=(const GdalOption &) = delete;
    ~GdalOption();

private:
    const char *m_key;
    std::optional<QByteArray> m_previous;
};

} // namespace map
