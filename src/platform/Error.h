#pragma once

#include <QString>

#include <utility>
#include <variant>

// Why something below the windows could not be done: a data workbook, a table's contents, a file,
// or a step of the estimate that the analyst's choices do not allow. Nothing below the windows
// shows a message; the windows (and zefro-estimate) show message(), and treat a notice as the
// answer to a choice rather than a failure.
//
// The kinds are listed here, but each layer words its own: an error is made by the factory of the
// layer it belongs to (platformError, xlsError, catalogueError, estimateError, map::mapError,
// gis::gisError), which gives it that layer's words, and a copy keeps them.
struct Error
{
    enum class Kind {
        // A data workbook could not be read.
        MissingWorkbook,
        NotAWorkbook,
        DamagedWorkbook,
        EncryptedWorkbook, // protected by a password: it cannot be read without it
        UnsupportedWorkbook, // sound, in a form this reader does not take (texts in an unknown code page)
        NoSuchSheet,
        BadCellAddress,
        UnreadableCell,
        // The data folder is sealed and a workbook differs from the seal. file: the workbook's system
        // path; detail: changed, missing or not sealed.
        DataNotAsSealed,
        // A table holds something the estimate cannot use.
        RangeBoundNotANumber,
        ClassCodeAsText, // a class code of the range correspondence typed as text; detail: the text
        DistanceNotANumber,
        // A distance that is no distance: negative, not finite, a fraction of a metre, or beyond 10001
        // ("more than 10000 m"). detail: the number as read.
        DistanceOutOfRange,
        TooManyCorrespondenceRows, // detail: the class code
        BadZoneIndex, // detail: the zone cell as read; file, sheet and cell when the data check found it
        BadCasNumber, // a CAS number of a class table whose check digit is wrong; detail: the text
        UnknownSubclass, // detail: the label cell as read
        // The estimate cannot take the analyst's choice (notices).
        CompressedGasInBund,
        ClassNotChosen,
        ContainmentNotChosen,
        QuantityNotOffered,
        DiameterNotOffered,
        // A scale written by the analyst (the map window's scale list, zefro-estimate --scale) that
        // is no scale 1:N, or whose denominator has a decimal part. detail: the text as written.
        ScaleNotValid,
        ScaleWithDecimals,
        // Files of the installation and outputs.
        // file: the local path, or the system's name with the local path in localPath (namedBySystem);
        // detail: the reason
        FileUnreadable,
        FileUnwritable,
        ConfigurationUnreadable, // detail: the reason
        ConfigurationTooShort, // detail: the number of lines found
        ConfigurationUnwritable, // detail: the reason
        ConfigurationNotStorable, // detail: the text that cannot be stored
        LaunchFailed, // detail: the command line
        DriveRootNotPrepared, // file: the user's drive root; detail: the reason
        // The user's drive root could not be brought in step with the installed tree at start-up (it
        // is used all the same). file: the root; detail: what could not be done, one a line;
        // localPath: the installed tree.
        DriveRootNotUpdated,
        // The installed tree brought new versions of files the user holds their own of, which are
        // kept. One file: file its system name, localPath the user's file, detail the installed one.
        // Several: file their system names, one a line; localPath the user's drive root; detail the
        // installed tree.
        OwnFilesKeptOnUpgrade,
        MapUnopenable, // file: the map's file name; detail: the reason
        MapUnreadable, // file: the map's file name; detail: the reason
        MapNotSaved, // file: the saved map's name; detail: the reason
        // A map's georeference cannot be used. file: the map's file name, or its world file or .prj;
        // detail: what is wrong.
        MapGeoreferenceInvalid,
        AreasNotExported, // file: the GIS file's local path; detail: the reason
        // A damage area that the map's reference system cannot show as it lies on the ground. file: the
        // map's file name, empty without a map; detail: which area, where.
        AreaNotDrawable,
        // A site inventory that cannot be read at all. file: the inventory's local path; detail: the reason.
        InventoryUnreadable,
        // A site inventory read, but not one: no rows, a required column missing, an id twice. file:
        // the inventory's local path; detail: what is wrong and where (the row or the column).
        InventoryMalformed,
        // A site drawn on a map that has no scale of its own and was given none. file: the map's name.
        SiteMapWithoutScale,
        // The site map would be a picture too large to make. file: the map's name; detail: its size.
        SiteMapTooLarge,
        // The output folder of a site run already holds files, and replacing them was not asked for.
        // file: the folder's local path.
        OutputFolderNotEmpty,
        // The output folder of a site run could not be put in place. file: the folder's local path;
        // detail: the reason.
        OutputFolderNotWritten,
        // The summary PDF of a site run could not be drawn. file: the inventory's local path; detail: why.
        SiteSummaryNotMade,
        // A layer of vulnerable elements that cannot be read: no vector data, no such layer. file: the
        // layer's local path; detail: the reason.
        ElementsUnreadable,
        // A layer of vulnerable elements read, but not usable on the map: no features, no reference
        // system where its coordinates do not fall on the map, more elements than the program takes.
        // file: the layer's local path; detail: what is wrong.
        ElementsNotUsable,
        // Nothing more is known: what a default-constructed Error says.
        Unspecified,
    };

    // The words of a layer: those of its own kinds, and of the layers' below it.
    using Wording = QString (*)(const Error &);

    Error();
    Error(Kind errorKind, Wording wording)
        : kind(errorKind)
        , m_wording(wording)
    { }

    Kind kind = Kind::Unspecified;
    QString file; // as the system names it ("c:\...\111.xls"), unless said otherwise above
    int sheet = 0; // 1-based worksheet position, 0 when not about a worksheet
    QString cell; // A1 address, empty when not about a cell
    QString detail; // more words from the reader or the file layer, may be empty
    QString localPath; // where the file is on this computer, when that tells the analyst more

    // One Italian text for a message box or the terminal, in the words of the layer that made it.
    [[nodiscard]] QString message() const { return m_wording(*this); }
    // The answer to a choice of the analyst (shown without an alarm), not a failure.
    [[nodiscard]] bool isNotice() const;

private:
    Wording m_wording;
};

// The line that says where a file the system names (a drive path) is on this computer:
// "\n(su questo computer: <local path>)", or nothing when the local path is empty or the same.
[[nodiscard]] QString whereOnThisComputer(const QString &named, const QString &localPath);

// The error of a file that was found by its local path, named as the system names it: systemName in
// file, the local path in localPath, so that the message shows both.
[[nodiscard]] Error namedBySystem(Error error, const QString &systemName);

// A value, or the Error that prevented it.
template <typename T> class Outcome
{
public:
    Outcome(T value)
        : m_data(std::move(value))
    { } // NOLINT: implicit on purpose
    Outcome(Error error)
        : m_data(std::move(error))
    { } // NOLINT: implicit on purpose

    [[nodiscard]] bool ok() const { return std::holds_alternative<T>(m_data); }
    [[nodiscard]] const T &value() const { return std::get<T>(m_data); }
    [[nodiscard]] T &value() { return std::get<T>(m_data); }
    [[nodiscard]] const Error &error() const { return std::get<Error>(m_data); }

private:
    std::variant<T, Error> m_data;
};

// What an operation without a value gives when it succeeds.
struct Done
{
};
using Status = Outcome<Done>;
