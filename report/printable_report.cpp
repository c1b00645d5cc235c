#include "report/printable_report.h"

#include <QAbstractAxis>
#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QChart>
#include <QFile>
#include <QGraphicsScene>
#include <QLegend>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTextDocument>
#include <algorithm>
#include <string_view>

#include "core/io/write_file.h"
#include "report/growth_chart.h"
#include "report/report_data.h"

namespace report {
namespace {

QString Escaped(const QString& text) { return text.toHtmlEscaped(); }

QString Cell(const QString& text, bool number = false) {
    return number ? QStringLiteral("<td align=\"right\">%1</td>").arg(Escaped(text))
                  : QStringLiteral("<td>%1</td>").arg(Escaped(text));
}

QString HeaderRow(const QStringList& titles) {
    QString row = QStringLiteral("<tr>");
    for (const QString& title : titles) {
        row += QStringLiteral("<th align=\"left\">%1</th>").arg(Escaped(title));
    }
    return row + QStringLiteral("</tr>");
}

QString Steps(const QStringList& why) {
    if (why.isEmpty()) {
        return QStringLiteral("<p><i>No steps recorded.</i></p>");
    }
    QString list = QStringLiteral("<ul>");
    for (const QString& step : why) {
        list += QStringLiteral("<li>%1</li>").arg(Escaped(step));
    }
    return list + QStringLiteral("</ul>");
}

QString Number(int64_t value) { return QString::number(value); }

// Pages x page size in KB / 1024, one decimal.
QString PoolMb(const ReportPool& pool) {
    return QString::number(
        static_cast<double>(pool.gbpSizePages) * static_cast<double>(pool.pageSizeKb) / 1024.0, 'f',
        1);
}

QString FileSize(int64_t bytes) {
    return bytes < 0 ? QStringLiteral("unreadable")
                     : QLocale::c().toString(static_cast<qlonglong>(bytes)) + " bytes";
}

constexpr char kTableStart[] =
    "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">";

// Every page gets a line at its foot for the page number.
constexpr double kFooterLines = 2.0;

// Each chart is laid out at this width in pixels and scaled onto the page's width: at 96 pixels
// to the inch the chart's 9-point labels come out at about 9 points on A4 or Letter.
constexpr double kChartLayoutWidth = 680;

}  // namespace

void DrawGrowthCharts(QPainter& painter, const ReportData& data, const QRectF& area) {
    const double scale = area.width() / kChartLayoutWidth;
    // Two charts one below the other, each at most as high as it is wide two thirds.
    const double layoutHeight = std::min(area.height() / scale / 2, kChartLayoutWidth * 2 / 3);
    const std::optional<int64_t> marked = [&]() -> std::optional<int64_t> {
        bool isNumber = false;
        const int members = data.membersText.trimmed().toInt(&isNumber);
        return isNumber ? std::optional<int64_t>(members) : std::nullopt;
    }();
    double top = area.top();
    for (GrowthChartKind kind : {GrowthChartKind::kSizes, GrowthChartKind::kRatio}) {
        QGraphicsScene scene;
        std::unique_ptr<QChart> chart = MakeGrowthChart(kind, data.growth, marked);
        QFont labels = chart->font();
        labels.setPointSizeF(9);
        for (QAbstractAxis* axis : chart->axes()) {
            axis->setLabelsFont(labels);
            axis->setTitleFont(labels);
        }
        chart->legend()->setFont(labels);
        const QSizeF size(kChartLayoutWidth, layoutHeight);
        chart->resize(size);
        scene.addItem(chart.release());
        const QRectF target(area.left(), top, area.width(), layoutHeight * scale);
        scene.render(&painter, target, QRectF(QPointF(0, 0), size));
        top += target.height();
    }
}

QString ReportHtml(const ReportData& data) {
    QString html = QStringLiteral("<html><body>");
    html += QStringLiteral("<h1>%1</h1>").arg(Escaped(data.title));
    html += QStringLiteral("<p>Created %1</p>")
                .arg(Escaped(data.created.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));

    html += QStringLiteral("<h2>Files</h2>") + kTableStart +
            HeaderRow({"File", "Size", "Collection time"});
    for (const ReportFile& file : data.files) {
        html += "<tr>" + Cell(file.path) + Cell(FileSize(file.sizeBytes), true) +
                Cell(file.collectionTime) + "</tr>";
    }
    html += QStringLiteral("</table>");

    html += QStringLiteral("<h2>Inputs</h2>") + kTableStart;
    html += "<tr>" + Cell("No Of Shared DB2") + Cell(data.membersText) + "</tr>";
    html += "<tr>" + Cell("ECSA Size for IRLM") + Cell(data.ecsaText + " Mb") + "</tr>";
    html += "<tr>" + Cell("Collection Time") + Cell(data.collectionTime) + "</tr>";
    html += "<tr>" + Cell("No Of Pools Shared") + Cell(Number(data.poolsShared)) + "</tr>";
    html += "<tr>" + Cell("Total System Objects") + Cell(Number(data.totalSystemObjects)) +
            "</tr></table>";

    html += QStringLiteral("<h2>Recommendations</h2>") + kTableStart +
            HeaderRow({"Recommendation", "Value", "Unit"});
    for (const ReportFigure& figure : data.recommendations) {
        html +=
            "<tr>" + Cell(figure.caption) + Cell(figure.value, true) + Cell(figure.unit) + "</tr>";
    }
    html += QStringLiteral("</table>");

    html += QStringLiteral("<h2>Shared pools</h2>") + kTableStart +
            HeaderRow({"Pool", "Shared", "Cache All", "VP Size", "HP Size", "GBP Size (pages)",
                       "Page KB", "GBP MB"});
    for (const ReportPool& pool : data.pools) {
        html += "<tr>" + Cell(pool.name) + Cell(Number(pool.shared), true) +
                Cell(Number(pool.cacheAll), true) + Cell(Number(pool.vpSize), true) +
                Cell(Number(pool.hpSize), true) + Cell(Number(pool.gbpSizePages), true) +
                Cell(Number(pool.pageSizeKb), true) + Cell(PoolMb(pool), true) + "</tr>";
    }
    html += QStringLiteral("</table>");
    html += QStringLiteral(
                "<p>The GBP Size column adds up to %1 pages; the total memory counts %2 GBP "
                "pages, every page as 4 KB, since it adds every row of a pool spread over "
                "several files where the column shows the last row.</p>")
                .arg(data.gbpColumnPages)
                .arg(data.gbpTotalPages);

    html += QStringLiteral("<h2>Warnings</h2>");
    if (data.warnings.empty()) {
        html += QStringLiteral("<p>No warnings.</p>");
    } else {
        html += QStringLiteral("<ul>");
        for (const ReportWarning& warning : data.warnings) {
            html += QStringLiteral("<li>%1 <small>(%2)</small></li>")
                        .arg(Escaped(warning.message), Escaped(warning.code));
        }
        html += QStringLiteral("</ul>");
    }

    html += QStringLiteral("<h2>How each figure came about</h2>");
    for (const ReportFigure& figure : data.recommendations) {
        html += QStringLiteral("<h3>%1: %2 %3</h3>")
                    .arg(Escaped(figure.caption), Escaped(figure.value),
                         Escaped(figure.unit == "Mb" ? figure.unit : QString()));
        html += Steps(figure.why);
    }
    for (const ReportPool& pool : data.pools) {
        html += QStringLiteral("<h3>Pool %1: %2 pages</h3>")
                    .arg(Escaped(pool.name))
                    .arg(pool.gbpSizePages);
        html += Steps(pool.why);
    }

    if (!data.growth.empty()) {
        html += QStringLiteral("<h2>What if the group grows</h2>") + kTableStart +
                HeaderRow({"Members", "SCA Size (Mb)", "Lock Structure Size (Mb)",
                           "Directory/Data Ratio", "IRLM ECSA Size (Mb)",
                           "Total Memory Required (Mb)"});
        for (const GrowthPoint& point : data.growth) {
            html +=
                "<tr>" + Cell(Number(point.members), true) + Cell(Number(point.scaSizeMb), true) +
                Cell(Number(point.lockStructureSizeMb), true) +
                Cell(point.directoryDataRatio ? Number(*point.directoryDataRatio) : "n/a", true) +
                Cell(Number(point.irlmEcsaSizeMb), true) + Cell(Number(point.totalMemoryMb), true) +
                "</tr>";
        }
        html += QStringLiteral("</table><p>The charts follow on the last page.</p>");
    }
    return html + QStringLiteral("</body></html>");
}

bool RenderReport(const ReportData& data, QPagedPaintDevice& device) {
    QPainter painter;
    if (!painter.begin(&device)) {
        return false;
    }
    const QSizeF page(device.width(), device.height());
    const double lineHeight = painter.fontMetrics().lineSpacing();
    const double footer = lineHeight * kFooterLines;

    QTextDocument document;
    document.documentLayout()->setPaintDevice(&device);
    QFont font = document.defaultFont();
    font.setPointSizeF(9);
    document.setDefaultFont(font);
    document.setHtml(ReportHtml(data));
    const QSizeF textPage(page.width(), page.height() - footer);
    document.setPageSize(textPage);
    const int textPages = document.pageCount();
    const int pages = textPages + (data.growth.empty() ? 0 : 1);

    const auto drawFooter = [&](int number) {
        painter.save();
        painter.setFont(font);
        painter.drawText(QRectF(0, page.height() - lineHeight, page.width(), lineHeight),
                         Qt::AlignRight | Qt::AlignVCenter,
                         QStringLiteral("Page %1 of %2").arg(number).arg(pages));
        painter.restore();
    };

    for (int i = 0; i < textPages; ++i) {
        if (i > 0) {
            device.newPage();
        }
        painter.save();
        painter.translate(0, -i * textPage.height());
        document.drawContents(
            &painter, QRectF(0, i * textPage.height(), textPage.width(), textPage.height()));
        painter.restore();
        drawFooter(i + 1);
    }

    if (!data.growth.empty()) {
        device.newPage();
        const double height = page.height() - footer;
        DrawGrowthCharts(painter, data, QRectF(0, 0, page.width(), height));
        drawFooter(pages);
    }
    return painter.end();
}

bool DrawPdf(const ReportData& data, QByteArray* pdf) {
    QBuffer buffer(pdf);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setTitle(data.title);
    writer.setCreator(QStringLiteral("Loomstead"));
    writer.setResolution(300);
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                    QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                    QPageLayout::Millimeter));
    return RenderReport(data, writer);
}

bool WritePdf(const ReportData& data, const QString& path, QString* error) {
    const auto fail = [&](const QString& reason) {
        if (error) {
            *error = QStringLiteral("Cannot write %1: %2").arg(path, reason);
        }
        return false;
    };
    QByteArray pdf;
    if (!DrawPdf(data, &pdf)) {
        return fail(QStringLiteral("the PDF could not be drawn"));
    }
    const core::Status written = core::WriteWholeFile(
        QFile::encodeName(path).toStdString(), std::string_view(pdf.constData(), pdf.size()));
    if (!written.ok()) {
        return fail(QString::fromStdString(written.message()));
    }
    return true;
}

bool Print(const ReportData& data, QPrinter& printer) { return RenderReport(data, printer); }

}  // namespace report
