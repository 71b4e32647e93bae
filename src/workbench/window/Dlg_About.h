#pragma once

#include <QCursor>
#include <QDialog>
#include <QRect>
#include <QString>
#include <QStringList>

class QLabel;
class Pic_Button;

// Contact details of the about window. Placeholders until the publisher
// fills them in.
inline const QString ABOUT_WEB_ADDRESS = QStringLiteral("https://www.example.com/trevak");
inline const QString ABOUT_MAIL_ADDRESS = QStringLiteral("support@example.com");
inline const QString ABOUT_WECHAT = QStringLiteral("（待填写）");
inline const QString ABOUT_QQ = QStringLiteral("（待填写）");
inline const QStringList ABOUT_QQ_GROUPS = {QStringLiteral("一群：（待填写）"), QStringLiteral("二群：（待填写）"),
                                            QStringLiteral("三群：（待填写）"), QStringLiteral("四群：（待填写）")};

// "关于Trevak...": the program's picture, name and version and the contact
// details on a green background. The web and e-mail lines are links: the
// pointer turns into the hand over them and a left click opens them through
// AppShell().
class Dlg_About : public QDialog {
    Q_OBJECT

public:
    explicit Dlg_About(QWidget* parent = nullptr);

    // The link lines' rectangles in the dialog's coordinates.
    QRect WebLinkRect() const;
    QRect MailLinkRect() const;

    // Whether a point of the dialog lies inside a link line's rectangle:
    // left < x <= right and top < y < bottom, with right and bottom the
    // first pixels past the rectangle.
    static bool InLink(const QRect& link, const QPoint& point);

    QLabel* m_versionText = nullptr;
    QLabel* m_webLink = nullptr;
    QLabel* m_mailLink = nullptr;
    Pic_Button* m_closeButton = nullptr;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QLabel* AddText(const QString& text, int x, int y, int w, int h, const char* name);
    QLabel* AddContact(const QString& text, int x, int y, int w, int h, const char* name);
    QLabel* AddLink(const QString& text, int x, int y, int w, int h, const char* name);
    void AddSeparator(int y);

    QCursor m_handCursor;
    bool m_overLink = false;
};

// Shows the about window modally, centred on the mouse pointer.
void ShowAbout(QWidget* parent);
