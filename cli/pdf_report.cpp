#include "cli/pdf_report.h"

#include "cli/command_line.h"

namespace cli {
namespace {

PdfReportWriter& Writer() {
    static PdfReportWriter writer;
    return writer;
}

}  // namespace

void SetPdfReportWriter(PdfReportWriter writer) { Writer() = std::move(writer); }

const PdfReportWriter& InstalledPdfReportWriter() { return Writer(); }

bool AsksForPdf(const QStringList& arguments) {
    const ParsedCommandLine parsed = ParseCommandLine(arguments);
    return parsed.action == ParsedCommandLine::Action::kRun &&
           parsed.options.format == OutputFormat::kPdf;
}

}  // namespace cli
