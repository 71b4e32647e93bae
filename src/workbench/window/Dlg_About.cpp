#include "workbench/window/Dlg_About.h"

#include <algorithm>

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>

#include "platform/AppResources.h"
#include "platform/DesktopOpener.h"
#include "platform/DialogPlacement.h"
#include "platform/DialogUnits.h"
#include "platform/ProgramVersion.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/controls/Pic_Ctrl.h"

namespace {

const QColor BACKGROUND(170, 210, 150);
const QColor HOT_FACE(110, 170, 80);
const QColor TEXT_COLOUR(0, 0, 0);
const QColor LINK_COLOUR(0, 0, 200);

}  // namespace

Dlg_About::Dlg_About(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Dlg_About"));
    setFont(DialogFont());
    setWindowTitle(QStringLiteral("关于Trevak..."));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(DluToPixelsX(315), DluToPixelsY(199));
    setModal(true);
    setMouseTracking(true);
    m_handCursor = HandCursor();

    QPalette colours = palette();
    colours.setColor(QPalette::Window, BACKGROUND);
    colours.setColor(QPalette::WindowText, TEXT_COLOUR);
    setPalette(colours);
    setAutoFillBackground(true);

    auto* picture = new Pic_Ctrl(this);
    picture->setObjectName(QStringLiteral("picture"));
    picture->setGeometry(DluToPixels(65, 12, 43, 43));
    picture->SetBitmap(APP_ICON);

    m_versionText = AddText(QStringLiteral("Trevak线材下料优化\n\n版本：") + ProgramVersionText(), 119, 11, 189, 44,
                            "versionText");
    AddSeparator(62);

    AddText(QStringLiteral("官网："), 13, 70, 28, 12, "webLabel");
    m_webLink = AddLink(ABOUT_WEB_ADDRESS, 40, 70, 118, 12, "webLink");
    AddText(QStringLiteral("邮箱："), 13, 88, 28, 12, "mailLabel");
    m_mailLink = AddLink(ABOUT_MAIL_ADDRESS, 40, 88, 118, 12, "mailLink");
    AddText(QStringLiteral("微信："), 188, 70, 25, 12, "wechatLabel");
    AddContact(ABOUT_WECHAT, 219, 70, 50, 12, "wechatText");
    AddText(QStringLiteral("Q Q ："), 188, 88, 25, 12, "qqLabel");
    AddContact(ABOUT_QQ, 221, 88, 50, 12, "qqText");
    AddText(QStringLiteral("QQ群："), 13, 106, 25, 12, "groupLabel");
    for (int line = 0; line < ABOUT_QQ_GROUPS.size(); ++line) {
        const QByteArray name = "groupText" + QByteArray::number(line + 1);
        AddContact(ABOUT_QQ_GROUPS[line], 38, 106 + 14 * line, 270, 12, name.constData());
    }
    AddSeparator(166);

    m_closeButton =
        MakeCommandButton(this, QStringLiteral("关 闭"), DluToPixels(209, 174, 66, 18), "closeButton", CommandIcon::Close);
    m_closeButton->SetFaceColours(BACKGROUND, HOT_FACE);
    m_closeButton->setDefault(true);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::accept);
}

QLabel* Dlg_About::AddText(const QString& text, int x, int y, int w, int h, const char* name)
{
    // Labels draw no background of their own: the dialog's colour shows through.
    // The pointer passes through them to the dialog, which tracks it over the
    // links (the labels before the links overlap them by a unit).
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(DluToPixels(x, y, w, h));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

QLabel* Dlg_About::AddContact(const QString& text, int x, int y, int w, int h, const char* name)
{
    // Contact texts can be selected and copied.
    QLabel* label = AddText(text, x, y, w, h, name);
    label->setAttribute(Qt::WA_TransparentForMouseEvents, false);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QLabel* Dlg_About::AddLink(const QString& text, int x, int y, int w, int h, const char* name)
{
    QLabel* link = AddText(text, x, y, w, h, name);
    QPalette colours = link->palette();
    colours.setColor(QPalette::WindowText, LINK_COLOUR);
    link->setPalette(colours);
    return link;
}

void Dlg_About::AddSeparator(int y)
{
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    const QRect area = DluToPixels(0, y, 317, 1);
    line->setGeometry(area.x(), area.y(), area.width(), std::max(2, area.height()));
}

QRect Dlg_About::WebLinkRect() const
{
    return m_webLink->geometry();
}

QRect Dlg_About::MailLinkRect() const
{
    return m_mailLink->geometry();
}

bool Dlg_About::InLink(const QRect& link, const QPoint& point)
{
    const int right = link.left() + link.width();
    const int bottom = link.top() + link.height();
    return link.left() < point.x() && point.x() <= right && link.top() < point.y() && point.y() < bottom;
}

void Dlg_About::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    const bool overLink = InLink(WebLinkRect(), point) || InLink(MailLinkRect(), point);
    if (overLink != m_overLink) {
        m_overLink = overLink;
        if (overLink)
            setCursor(m_handCursor);
        else
            unsetCursor();
    }
    QDialog::mouseMoveEvent(event);
}

void Dlg_About::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        const QPoint point = event->position().toPoint();
        if (InLink(WebLinkRect(), point))
            AppShell().OpenAddress(ABOUT_WEB_ADDRESS);
        if (InLink(MailLinkRect(), point))
            AppShell().OpenAddress(QStringLiteral("mailto:") + ABOUT_MAIL_ADDRESS);
    }
    QDialog::mousePressEvent(event);
}

void ShowAbout(QWidget* parent)
{
    Dlg_About dialog(parent);
    CentreOnPointer(&dialog);
    dialog.exec();
}
