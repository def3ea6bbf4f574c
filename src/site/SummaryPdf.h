#pragma once

#include "platform/Error.h"
#include "site/SiteRun.h"

#include <QByteArray>
#include <QImage>

namespace site {

// The summary of a site-inventory run as one PDF (A4, text selectable, fonts embedded), in Italian:
// a title page (the run's files, time, version, counts, the example-data warning), the table of all
// items with their eight distances (landscape, its heading on every page), one page per estimated item
// with its report as the report file has it, the failed items with their messages, with vulnerable
// elements a page per zone of the site (its totals and elements, each with the nearest item), and the site map
// fitted to a page when `siteMap` is not null. Needs a QGuiApplication (fonts); SiteSummaryNotMade
// when there is none or the PDF cannot be drawn.
[[nodiscard]] Outcome<QByteArray> summaryPdf(const SiteRun &run, const QImage &siteMap);

} // namespace site
