#include "pdf_report.h"

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
    const auto isPdfFormat = [](const QString& value) {
        return value.compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
    };
    const auto isPdfFile = [](const QString& value) {
        return value.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
    };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--")) {
            break;
        }
        const QString next = i + 1 < arguments.size() ? arguments[i + 1] : QString();
        if ((argument == QLatin1String("--format") && isPdfFormat(next)) ||
            (argument.startsWith(QLatin1String("--format=")) && isPdfFormat(argument.mid(9))) ||
            (argument == QLatin1String("--output") && isPdfFile(next)) ||
            (argument.startsWith(QLatin1String("--output=")) && isPdfFile(argument.mid(9)))) {
            return true;
        }
    }
    return false;
}

}  // namespace cli
