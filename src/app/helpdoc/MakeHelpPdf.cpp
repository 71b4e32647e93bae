// trevak-helpdoc: turns the Markdown source of the help document into the PDF
// file "QRMHelp.pdf" that the program's "帮  助" button opens. A4 pages, a
// font with Chinese characters, a title page, a table of contents and page
// numbers in the footer. Runs without a display (offscreen platform).
//
// usage: trevak-helpdoc [--version TEXT] [--icon FILE.svg] SOURCE.md OUTPUT.pdf

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgRenderer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>
#include <QTextImageFormat>
#include <QTextTable>
#include <QUrl>

#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "drawing/PdfText.h"

namespace {

const char* const USAGE = "usage: trevak-helpdoc [--version TEXT] [--icon FILE.svg] SOURCE.md OUTPUT.pdf\n";

// Resolution of the PDF's coordinate system, dots per inch.
const int RESOLUTION = 300;
// The text body's font size in points.
const qreal BODY_POINTS = 10.0;
// Space under the body for the footer, in millimetres.
const qreal FOOTER_MM = 9.0;
// A heading with less room than this under it on its page, or a table that
// starts with less room than this and goes on over the page, starts the next page.
const qreal KEEP_WITH_NEXT_MM = 25.0;
// Headings of these levels (2 and 3) go into the table of contents.
const int TOC_DEEPEST_LEVEL = 3;

const QColor HEADING_COLOUR(0x1F, 0x4E, 0x79);
const QColor RULE_COLOUR(0x99, 0x99, 0x99);
const QColor CODE_BACKGROUND(0xF3, 0xF3, 0xF3);
const QColor TABLE_HEADER_BACKGROUND(0xE8, 0xEF, 0xF6);

struct Options {
    QString version;
    QString icon;
    QString source;
    QString output;
};

struct Heading {
    int level = 0;
    QString text;
    int page = 0;  // 0-based page of the body
};

void Fail(const QString& text)
{
    std::fprintf(stderr, "trevak-helpdoc: %s\n", qPrintable(text));
}

bool ParseArguments(const QStringList& args, Options& options)
{
    QStringList positional;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == QLatin1String("--version") || a == QLatin1String("--icon")) && i + 1 < args.size()) {
            (a == QLatin1String("--version") ? options.version : options.icon) = args[++i];
        } else if (a.startsWith(QLatin1String("--"))) {
            return false;
        } else {
            positional << a;
        }
    }
    if (positional.size() != 2) {
        return false;
    }
    options.source = positional[0];
    options.output = positional[1];
    return true;
}

// A length in the PDF's coordinates, which the painter and the page layout use.
qreal Millimetres(qreal mm)
{
    return mm * RESOLUTION / 25.4;
}

// A length for a text format (margins, padding, borders, image sizes, HTML
// pixels): the layout reads these as pixels of 96 dots per inch and scales
// them to the PDF's resolution itself.
qreal FormatPixels(qreal mm)
{
    return mm * 96.0 / 25.4;
}

// Takes the first level-1 heading out of the Markdown text: it becomes the
// title page instead of a heading in the body.
QString TakeTitle(QString& markdown)
{
    QStringList lines = markdown.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        if (lines[i].startsWith(QLatin1String("# "))) {
            const QString title = lines[i].mid(2).trimmed();
            lines.removeAt(i);
            markdown = lines.join(QLatin1Char('\n'));
            return title;
        }
    }
    return QString();
}

bool IsCodeBlock(const QTextBlock& block)
{
    const QTextBlockFormat format = block.blockFormat();
    return format.hasProperty(QTextFormat::BlockCodeFence) || format.hasProperty(QTextFormat::BlockCodeLanguage);
}

// Fonts, colours and spacing that the Markdown import leaves plain; images
// scaled to the page width. Returns the names of the images that could not be
// loaded.
QStringList StyleDocument(QTextDocument& doc, const QString& family, const QString& monoFamily, qreal bodyWidth,
                   qreal bodyHeight)
{
    const QStringList monoFamilies{monoFamily, family};
    const qreal toImagePixels = FormatPixels(25.4) / RESOLUTION;
    std::vector<std::pair<int, QTextImageFormat>> images;
    std::vector<std::pair<int, int>> codeRanges;
    QStringList missing;

    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextCursor cursor(block);
        QTextBlockFormat blockFormat = block.blockFormat();
        const int level = blockFormat.headingLevel();
        if (level > 0) {
            blockFormat.setTopMargin(FormatPixels(level <= 2 ? 6.0 : 3.5));
            blockFormat.setBottomMargin(FormatPixels(1.5));
            cursor.setBlockFormat(blockFormat);
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            QTextCharFormat heading;
            heading.setForeground(HEADING_COLOUR);
            cursor.mergeCharFormat(heading);
            continue;
        }
        const bool codeBlock = IsCodeBlock(block);
        if (codeBlock) {
            blockFormat.setBackground(CODE_BACKGROUND);
            blockFormat.setLeftMargin(FormatPixels(3.0));
            cursor.setBlockFormat(blockFormat);
        } else if (blockFormat.lineHeightType() == QTextBlockFormat::SingleHeight) {
            blockFormat.setLineHeight(125, QTextBlockFormat::ProportionalHeight);
            cursor.setBlockFormat(blockFormat);
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().isImageFormat()) {
                images.emplace_back(fragment.position(), fragment.charFormat().toImageFormat());
            } else if (codeBlock || fragment.charFormat().fontFixedPitch()) {
                codeRanges.emplace_back(fragment.position(), fragment.length());
            }
        }
    }

    // Changing a fragment's format may join it with its neighbours, so the
    // fragments are changed after the walk.
    for (const auto& [position, format] : images) {
        QTextCursor range(&doc);
        range.setPosition(position);
        range.setPosition(position + 1, QTextCursor::KeepAnchor);
        QTextImageFormat image = format;
        const QImage picture = doc.resource(QTextDocument::ImageResource, QUrl(image.name())).value<QImage>();
        if (picture.isNull()) {
            missing << image.name();
            continue;
        }
        qreal width = bodyWidth * toImagePixels;
        qreal height = width * picture.height() / picture.width();
        const qreal maxHeight = 0.45 * bodyHeight * toImagePixels;
        if (height > maxHeight) {
            width *= maxHeight / height;
            height = maxHeight;
        }
        image.setWidth(width);
        image.setHeight(height);
        range.setCharFormat(image);
    }
    QTextCharFormat mono;
    mono.setFontFamilies(monoFamilies);
    for (const auto& [position, length] : codeRanges) {
        QTextCursor range(&doc);
        range.setPosition(position);
        range.setPosition(position + length, QTextCursor::KeepAnchor);
        range.mergeCharFormat(mono);
    }

    // Tables: thin single borders, some padding, a shaded heading row.
    for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
        QTextTable* table = qobject_cast<QTextTable*>(frame);
        if (!table) {
            continue;
        }
        QTextTableFormat format = table->format();
        format.setBorderCollapse(true);
        format.setBorder(FormatPixels(0.25));
        format.setBorderBrush(RULE_COLOUR);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setCellSpacing(0);
        format.setCellPadding(FormatPixels(1.0));
        format.setTopMargin(FormatPixels(1.5));
        format.setBottomMargin(FormatPixels(2.0));
        format.setHeaderRowCount(1);  // repeated at the top of every page the table runs onto
        table->setFormat(format);
        for (int row = 0; row < table->rows(); ++row) {
            for (int column = 0; column < table->columns(); ++column) {
                QTextTableCell cell = table->cellAt(row, column);
                QTextTableCellFormat cellFormat = cell.format().toTableCellFormat();
                cellFormat.setBorder(FormatPixels(0.25));
                cellFormat.setBorderBrush(RULE_COLOUR);
                cellFormat.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
                if (row == 0) {
                    cellFormat.setBackground(TABLE_HEADER_BACKGROUND);
                }
                cell.setFormat(cellFormat);
            }
        }
    }
    return missing;
}

// Moves every heading that would stand at the foot of a page with too little
// of its section under it, and every table that would start there and go on
// over the page, to the top of the next page.
void KeepHeadingsWithText(QTextDocument& doc)
{
    const qreal pageHeight = doc.pageSize().height();
    const qreal keep = Millimetres(KEEP_WITH_NEXT_MM);
    QAbstractTextDocumentLayout* layout = doc.documentLayout();
    auto roomBelow = [pageHeight](qreal y) { return (std::floor(y / pageHeight) + 1) * pageHeight - y; };
    auto atPageTop = [pageHeight](qreal y) { return std::fmod(y, pageHeight) < 1.0; };

    for (int round = 0; round < 500; ++round) {
        // The first offender in the document; moving it moves everything after it.
        qreal firstTop = -1;
        QTextBlock heading;
        QTextTable* table = nullptr;
        for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
            if (block.blockFormat().headingLevel() == 0 || QTextCursor(block).currentTable()) {
                continue;
            }
            const QRectF rect = layout->blockBoundingRect(block);
            if (!atPageTop(rect.top()) && roomBelow(rect.top()) - rect.height() < keep) {
                firstTop = rect.top();
                heading = block;
                break;
            }
        }
        for (QTextFrame* frame : doc.rootFrame()->childFrames()) {
            QTextTable* candidate = qobject_cast<QTextTable*>(frame);
            if (!candidate) {
                continue;
            }
            const QRectF rect = layout->frameBoundingRect(candidate);
            if (firstTop >= 0 && rect.top() > firstTop) {
                break;
            }
            const bool crossesPage = rect.height() > roomBelow(rect.top());
            if (!atPageTop(rect.top()) && crossesPage && roomBelow(rect.top()) < keep) {
                firstTop = rect.top();
                table = candidate;
                break;
            }
        }
        if (table) {
            QTextTableFormat format = table->format();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            table->setFormat(format);
        } else if (heading.isValid()) {
            QTextBlockFormat format = heading.blockFormat();
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(heading).setBlockFormat(format);
        } else {
            return;
        }
    }
}

std::vector<Heading> CollectHeadings(QTextDocument& doc)
{
    std::vector<Heading> headings;
    const qreal pageHeight = doc.pageSize().height();
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level < 2 || level > TOC_DEEPEST_LEVEL) {
            continue;
        }
        const QRectF rect = doc.documentLayout()->blockBoundingRect(block);
        headings.push_back(Heading{level, block.text().trimmed(), int((rect.top() + 1.0) / pageHeight)});
    }
    return headings;
}

QString Escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

// The table of contents as a document of its own; body pages are numbered
// from firstBodyPage.
void BuildContents(QTextDocument& contents, const std::vector<Heading>& headings, int firstBodyPage)
{
    QString html = QStringLiteral("<h2 style=\"color:%1\">目录</h2><table width=\"100%\" cellspacing=\"0\" "
                                  "cellpadding=\"3\">")
                       .arg(HEADING_COLOUR.name());
    for (const Heading& h : headings) {
        const bool chapter = h.level == 2;
        html += QStringLiteral("<tr><td style=\"padding-left:%1px;%2\">%3</td><td align=\"right\"%4>%5</td></tr>")
                    .arg(chapter ? 0 : int(FormatPixels(6.0)))
                    .arg(chapter ? QStringLiteral(" font-weight:bold;") : QString())
                    .arg(Escaped(h.text))
                    .arg(chapter ? QStringLiteral(" style=\"font-weight:bold;\"") : QString())
                    .arg(firstBodyPage + h.page);
    }
    html += QStringLiteral("</table>");
    contents.setHtml(html);
}

int PageCount(const QTextDocument& doc)
{
    return std::max(1, doc.pageCount());
}

// Draws page `page` (0-based) of a paginated document into the body rectangle.
void DrawDocumentPage(QPainter& painter, QTextDocument& doc, int page, const QRectF& body)
{
    painter.save();
    painter.translate(body.topLeft());
    painter.setClipRect(QRectF(0, 0, body.width(), body.height()));
    painter.translate(0, -page * body.height());
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = QRectF(0, page * body.height(), body.width(), body.height());
    context.palette.setColor(QPalette::Text, Qt::black);
    doc.documentLayout()->draw(&painter, context);
    painter.restore();
}

void DrawFooter(QPainter& painter, const QString& family, const QString& title, int page, int pages,
                const QRectF& area)
{
    painter.save();
    const qreal ruleY = area.bottom() - Millimetres(FOOTER_MM) + Millimetres(3.0);
    painter.setPen(QPen(RULE_COLOUR, Millimetres(0.2)));
    painter.drawLine(QPointF(area.left(), ruleY), QPointF(area.right(), ruleY));
    QFont font(family);
    font.setPointSizeF(8.0);
    painter.setFont(font);
    painter.setPen(QColor(0x55, 0x55, 0x55));
    const QRectF text(area.left(), ruleY + Millimetres(1.0), area.width(), area.bottom() - ruleY - Millimetres(1.0));
    painter.drawText(text, Qt::AlignLeft | Qt::AlignTop, title);
    painter.drawText(text, Qt::AlignRight | Qt::AlignTop, QStringLiteral("第 %1 页 / 共 %2 页").arg(page).arg(pages));
    painter.restore();
}

void DrawTitlePage(QPainter& painter, const QString& family, const Options& options, const QString& title,
                   const QRectF& area)
{
    painter.save();
    qreal y = area.top() + area.height() * 0.22;
    if (!options.icon.isEmpty()) {
        QSvgRenderer icon(options.icon);
        if (icon.isValid()) {
            const qreal side = Millimetres(36.0);
            icon.render(&painter, QRectF(area.center().x() - side / 2, y, side, side));
            y += side + Millimetres(12.0);
        }
    }
    QFont titleFont(family);
    titleFont.setPointSizeF(28.0);
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.setPen(HEADING_COLOUR);
    const qreal titleHeight = Millimetres(16.0);
    // "Trevak线材下料优化 用户手册": the product name, then the kind of book.
    QString product = title;
    QString subtitle;
    const int space = title.lastIndexOf(QLatin1Char(' '));
    if (space > 0) {
        product = title.left(space);
        subtitle = title.mid(space + 1);
    }
    painter.drawText(QRectF(area.left(), y, area.width(), titleHeight), Qt::AlignCenter, product);
    y += titleHeight + Millimetres(4.0);
    if (!subtitle.isEmpty()) {
        QFont subtitleFont(family);
        subtitleFont.setPointSizeF(20.0);
        painter.setFont(subtitleFont);
        painter.drawText(QRectF(area.left(), y, area.width(), Millimetres(11.0)), Qt::AlignCenter, subtitle);
        y += Millimetres(11.0) + Millimetres(10.0);
    }
    painter.setPen(QPen(RULE_COLOUR, Millimetres(0.3)));
    painter.drawLine(QPointF(area.left() + area.width() * 0.2, y), QPointF(area.right() - area.width() * 0.2, y));
    y += Millimetres(8.0);
    if (!options.version.isEmpty()) {
        QFont versionFont(family);
        versionFont.setPointSizeF(12.0);
        painter.setFont(versionFont);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(area.left(), y, area.width(), Millimetres(8.0)), Qt::AlignCenter,
                         QStringLiteral("版本 %1").arg(options.version));
    }
    painter.restore();
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);

    Options options;
    if (!ParseArguments(QGuiApplication::arguments(), options)) {
        std::fputs(USAGE, stderr);
        return 2;
    }

    QFile source(options.source);
    if (!source.open(QIODevice::ReadOnly)) {
        Fail(QStringLiteral("cannot read '%1': %2").arg(options.source, source.errorString()));
        return 1;
    }
    QString markdown = QString::fromUtf8(source.readAll());
    const QString title = TakeTitle(markdown);

    const QString family = ChooseChineseFamily(
        {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"), QStringLiteral("Noto Serif CJK SC"),
         QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Microsoft YaHei"), QStringLiteral("SimSun")});
    if (family.isEmpty()) {
        Fail(QStringLiteral("no installed font writes Chinese (on Debian: apt-get install fonts-noto-cjk)"));
        return 1;
    }
    QString monoFamily =
        ChooseChineseFamily({QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("Sarasa Mono SC")});
    if (monoFamily.isEmpty()) {
        monoFamily = family;
    }

    // The PDF is made in memory, its text layer mended, and then saved.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(RESOLUTION);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(20, 18, 20, 12),
                                     QPageLayout::Millimeter));
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("trevak-helpdoc"));

    QPainter painter;
    if (!painter.begin(&writer)) {
        Fail(QStringLiteral("cannot start the PDF '%1'").arg(options.output));
        return 1;
    }
    const QRectF area(0, 0, writer.width(), writer.height());
    const QRectF body(0, 0, area.width(), area.height() - Millimetres(FOOTER_MM));

    QFont bodyFont(family);
    bodyFont.setPointSizeF(BODY_POINTS);

    QTextDocument doc;
    doc.documentLayout()->setPaintDevice(&writer);
    doc.setDefaultFont(bodyFont);
    doc.setBaseUrl(QUrl::fromLocalFile(QFileInfo(options.source).absolutePath() + QLatin1Char('/')));
    doc.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    doc.setDocumentMargin(0);
    doc.setPageSize(body.size());
    const QStringList missing = StyleDocument(doc, family, monoFamily, body.width(), body.height());
    if (!missing.isEmpty()) {
        Fail(QStringLiteral("cannot load the picture(s) %1 of '%2'").arg(missing.join(QStringLiteral(", ")), options.source));
        return 1;
    }
    KeepHeadingsWithText(doc);
    const std::vector<Heading> headings = CollectHeadings(doc);

    // The contents' own length decides where the body starts: lay it out
    // once to count its pages, then with the real page numbers.
    QTextDocument contents;
    contents.documentLayout()->setPaintDevice(&writer);
    contents.setDefaultFont(bodyFont);
    contents.setDocumentMargin(0);
    contents.setPageSize(body.size());
    BuildContents(contents, headings, 2);
    const int contentsPages = headings.empty() ? 0 : PageCount(contents);
    BuildContents(contents, headings, 2 + contentsPages);

    const int bodyPages = PageCount(doc);
    const int pages = 1 + contentsPages + bodyPages;

    DrawTitlePage(painter, family, options, title, area);
    int page = 1;
    for (int i = 0; i < contentsPages; ++i) {
        writer.newPage();
        ++page;
        DrawDocumentPage(painter, contents, i, body);
        DrawFooter(painter, family, title, page, pages, area);
    }
    for (int i = 0; i < bodyPages; ++i) {
        writer.newPage();
        ++page;
        DrawDocumentPage(painter, doc, i, body);
        DrawFooter(painter, family, title, page, pages, area);
    }
    if (!painter.end()) {
        Fail(QStringLiteral("cannot finish the PDF"));
        return 1;
    }
    buffer.close();

    QByteArray pdf = buffer.data();
    QFont bold(family);
    bold.setBold(true);
    FixTextLayer(pdf, RadicalsSharingGlyphs({QFont(family), bold, QFont(monoFamily)}));

    QSaveFile output(options.output);
    if (!output.open(QIODevice::WriteOnly) || output.write(pdf) != pdf.size() || !output.commit()) {
        Fail(QStringLiteral("cannot write '%1': %2").arg(options.output, output.errorString()));
        return 1;
    }
    return 0;
}
