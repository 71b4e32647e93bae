#include "drawing/PdfText.h"

#include <QFontDatabase>
#include <QRawFont>
#include <QRegularExpression>

QString ChooseChineseFamily(const QStringList& preferred)
{
    const QStringList chinese = QFontDatabase::families(QFontDatabase::SimplifiedChinese);
    for (const QString& family : preferred) {
        for (const QString& installed : chinese) {
            if (installed.compare(family, Qt::CaseInsensitive) == 0) {
                return installed;
            }
        }
    }
    return chinese.isEmpty() ? QString() : chinese.first();
}

QString SheetFontFamily()
{
    static const QString family =
        ChooseChineseFamily({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                             QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Microsoft YaHei"),
                             QStringLiteral("Noto Serif CJK SC"), QStringLiteral("SimSun")});
    return family;
}

QHash<ushort, ushort> RadicalsSharingGlyphs(const QList<QFont>& fonts)
{
    QHash<ushort, ushort> map;
    QString ideographs;
    for (ushort c = 0x3400; c <= 0x4DBF; ++c) {
        ideographs += QChar(c);
    }
    for (ushort c = 0x4E00; c <= 0x9FFF; ++c) {
        ideographs += QChar(c);
    }
    QString radicals;
    for (ushort c = 0x2E80; c <= 0x2FDF; ++c) {
        radicals += QChar(c);
    }
    for (const QFont& font : fonts) {
        const QRawFont raw = QRawFont::fromFont(font);
        if (!raw.isValid()) {
            continue;
        }
        const QList<quint32> ideographGlyphs = raw.glyphIndexesForString(ideographs);
        const QList<quint32> radicalGlyphs = raw.glyphIndexesForString(radicals);
        if (ideographGlyphs.size() != ideographs.size() || radicalGlyphs.size() != radicals.size()) {
            continue;
        }
        QHash<quint32, ushort> ideographOfGlyph;
        for (int i = ideographGlyphs.size() - 1; i >= 0; --i) {
            if (ideographGlyphs[i] != 0) {
                ideographOfGlyph.insert(ideographGlyphs[i], ideographs[i].unicode());  // the lowest wins
            }
        }
        for (int i = 0; i < radicals.size(); ++i) {
            const auto found = ideographOfGlyph.constFind(radicalGlyphs[i]);
            if (radicalGlyphs[i] != 0 && found != ideographOfGlyph.constEnd() && !map.contains(radicals[i].unicode())) {
                map.insert(radicals[i].unicode(), found.value());
            }
        }
    }
    return map;
}

int FixTextLayer(QByteArray& pdf, const QHash<ushort, ushort>& map)
{
    int changed = 0;
    auto patch = [&](qsizetype at) {  // at: the first of four hex digits
        bool ok = false;
        const ushort code = pdf.mid(at, 4).toUShort(&ok, 16);
        const auto found = map.constFind(code);
        if (ok && found != map.constEnd()) {
            pdf.replace(at, 4, QByteArray::number(found.value(), 16).toUpper().rightJustified(4, '0'));
            ++changed;
        }
    };
    static const QRegularExpression hex(QStringLiteral("<([0-9A-Fa-f]+)>"));
    for (const char* section : {"bfchar", "bfrange"}) {
        const QByteArray begin = QByteArray("begin") + section;
        const QByteArray end = QByteArray("end") + section;
        for (qsizetype from = pdf.indexOf(begin); from >= 0; from = pdf.indexOf(begin, from)) {
            from += begin.size();
            const qsizetype stop = pdf.indexOf(end, from);
            if (stop < 0) {
                break;
            }
            // One entry per line: the source code (bfchar) or the source range
            // (bfrange) first, then the target(s).
            for (const QByteArray& line : pdf.mid(from, stop - from).split('\n')) {
                const qsizetype lineStart = pdf.indexOf(line, from);
                const int sources = section[2] == 'c' ? 1 : 2;
                QList<QRegularExpressionMatch> codes;
                for (auto it = hex.globalMatch(QString::fromLatin1(line)); it.hasNext();) {
                    codes << it.next();
                }
                if (codes.size() <= sources) {
                    continue;
                }
                // A range with one target counts up from it; only a range of
                // one code is safe to rewrite.
                const bool single = sources == 1 || line.contains('[') || codes[0].captured(1) == codes[1].captured(1);
                for (int i = sources; single && i < codes.size(); ++i) {
                    if (codes[i].capturedLength(1) == 4) {
                        patch(lineStart + codes[i].capturedStart(1));
                    }
                }
                from = lineStart + line.size();
            }
            from = stop;
        }
    }
    return changed;
}
