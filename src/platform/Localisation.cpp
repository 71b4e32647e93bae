#include "platform/Localisation.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTextDocument>
#include <QTranslator>

bool InstallQtTranslations()
{
    static QTranslator* translator = nullptr;
    if (translator)
        return true;
    auto* loaded = new QTranslator(QCoreApplication::instance());
    if (!loaded->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete loaded;
        return false;
    }
    QCoreApplication::installTranslator(loaded);
    translator = loaded;
    return true;
}

ProgramStyle::ProgramStyle() = default;

int ProgramStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                            QStyleHintReturn* returnData) const
{
    if (hint == SH_ToolTip_WakeUpDelay)
        return TOOLTIP_WAKE_UP_DELAY;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

void InstallProgramStyle()
{
    if (!dynamic_cast<ProgramStyle*>(QApplication::style()))
        QApplication::setStyle(new ProgramStyle);
}

QString ToolTipStyleSheet()
{
    return QStringLiteral("QToolTip { color: rgb(0, 64, 64); max-width: %1px; }").arg(TOOLTIP_MAX_WIDTH);
}

QString TipText(const QString& plain)
{
    // As rich text the tip label wraps its lines within the maximum width.
    return Qt::convertFromPlainText(plain, Qt::WhiteSpaceNormal);
}
