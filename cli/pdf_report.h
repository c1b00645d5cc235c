// The PDF form of the batch sizer's output. The cli library stays on Qt Core: the program that
// links the printable report hands its writer in here, and starts the machinery it needs only
// when the command line asks for a PDF.
#ifndef CLI_PDF_REPORT_H_
#define CLI_PDF_REPORT_H_

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace core {
struct SizingRun;
}

namespace cli {

// Draws the report of `run` as the bytes of a PDF file into *pdf, which the batch sizer then
// writes whole; false when it cannot be drawn. The chart shows the run's sweep: --sweep-members,
// or 1 to 8 members when the command line chose none.
using PdfReportWriter = std::function<bool(const core::SizingRun& run, QByteArray* pdf)>;

// Installs the writer the batch sizer uses for PDF output; an empty one (the default) makes a
// PDF request fail with kPdfUnavailableText.
void SetPdfReportWriter(PdfReportWriter writer);
const PdfReportWriter& InstalledPdfReportWriter();

inline constexpr char kPdfUnavailableText[] = "PDF output is not available in this build";

// True when the arguments (program name first) are a run that writes a PDF: "--format pdf" or
// an --output ending in ".pdf". Needs no application object, so main can choose one by it.
bool AsksForPdf(const QStringList& arguments);

}  // namespace cli

#endif  // CLI_PDF_REPORT_H_
