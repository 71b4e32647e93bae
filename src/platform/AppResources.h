#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// Images of the program's resource file (src/platform/resources/trevak.qrc).

// The application icon, also the about picture.
inline const QString APP_ICON = QStringLiteral(":/trevak/app.svg");

// The hand cursor of the buttons and links: a pointing hand, hot spot at the fingertip.
inline const QString HAND_CURSOR_IMAGE = QStringLiteral(":/trevak/hand.svg");

// One icon pair per command: the hot icon (pointer over the button or
// pressed) and the normal icon.
struct IconPair {
    QString hot;
    QString normal;
};

enum class CommandIcon {
    Compute,   // 优化计算
    Output,    // 结果输出
    Leftover,  // 剩料输出
    Close,     // 关 闭
    About,     // 关  于
    Help,      // 帮  助
    Shortcut,  // 设桌面快捷图标
    Add,       // 增  加
    Delete,    // 删  除
    Merge,     // 归 并
    Import,    // 导 入
    Export,    // 导 出
    Format,    // 导入文件格式
    Ok,        // dialogs: 确  定
    Cancel,    // dialogs: 取  消
    Text,      // output dialogs: Txt
    Workbook,  // output dialogs: Excel
    Document,  // output dialogs: Word
    Pdf,       // 结果输出: PDF
    Print,     // 结果输出: 打印
};

// ":/trevak/<name>_hot.svg" and ":/trevak/<name>.svg".
IconPair IconsFor(CommandIcon command);

// Makes the resource file available (idempotent). Start-up and the controls
// call it before loading an image.
void InitAppResources();

// An image of the resource file (SVG drawn at the size, bitmaps scaled to it)
// for a screen of devicePixelRatio; a null pixmap when it cannot be read.
QPixmap RenderImage(const QString& path, const QSize& size, qreal devicePixelRatio = 1.0);

// The application icon in the usual sizes.
QIcon AppIcon();

// The program's hand cursor (HAND_CURSOR_IMAGE, 32 pixels).
QCursor HandCursor();
