#pragma once

#include <QByteArray>
#include <QFont>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

// Text in the program's PDF files: the font family that writes Chinese, and
// the mending of the text layer that Qt's PDF writer leaves wrong for CJK fonts.

// The first of the preferred families that is installed and writes Simplified
// Chinese, else any installed family that does; empty when there is none.
QString ChooseChineseFamily(const QStringList& preferred);

// The family the program's drawings and sheets write in: Noto Sans CJK SC or
// a similar sans-serif family (chosen once per process); empty without one.
QString SheetFontFamily();

// The PDF writer tells a reader which character each glyph stands for by the
// lowest code point that the font maps to the glyph. CJK fonts draw a Kangxi
// radical (U+2F00..) or a supplementary radical (U+2E80..) and the ideograph
// it looks like with one glyph, so the PDF's text would read "⽂件" for "文件"
// and a search for "文件" would find nothing. This map sends every radical of
// the given fonts that shares its glyph with an ideograph to that ideograph.
QHash<ushort, ushort> RadicalsSharingGlyphs(const QList<QFont>& fonts);

// Rewrites the target code points of the PDF's character maps (the "bfchar"
// and "bfrange" sections of its /ToUnicode streams, which the writer leaves
// uncompressed) through the map. Four hex digits become four hex digits, so
// no offset in the file moves. Returns the number of entries changed.
int FixTextLayer(QByteArray& pdf, const QHash<ushort, ushort>& map);
