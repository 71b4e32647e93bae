// The main window on screens of several sizes: the designed layout where it
// fits, every control reachable on small screens, the tables taking the room
// of a larger window; and the tooltips of the input tables.

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <cstdlib>
#include <map>

#include "platform/AppFolders.h"
#include "platform/DialogUnits.h"
#include "platform/Localisation.h"
#include "platform/Prompts.h"
#include "workbench/controls/CGradientProgressCtrl.h"
#include "workbench/controls/MyListCtrl.h"
#include "workbench/controls/Pic_Button.h"
#include "workbench/window/CParvexDlg.h"

namespace {

// The screens of the test's display: a large one first (the primary), then
// the two small ones the window must fit. The window system draws frames.
const char* const SCREENS_JSON = R"({
  "windowFrameMargins": true,
  "screens": [
    {"name": "large", "x": 0, "y": 0, "width": 1920, "height": 1080, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
    {"name": "xga", "x": 1920, "y": 0, "width": 1024, "height": 768, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1},
    {"name": "hd720", "x": 2944, "y": 0, "width": 1280, "height": 720, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}
  ]
})";

QScreen* ScreenNamed(const QString& name)
{
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == name)
            return screen;
    return nullptr;
}

std::map<QString, QRect> ChildGeometries(const QWidget& window)
{
    std::map<QString, QRect> geometries;
    for (QWidget* child : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        geometries[child->objectName()] = child->geometry();
    return geometries;
}

std::vector<int> ColumnWidths(const MyListCtrl* table)
{
    std::vector<int> widths;
    for (int i = 0; i < table->horizontalHeader()->count(); ++i)
        widths.push_back(table->horizontalHeader()->sectionSize(i));
    return widths;
}

// The tooltip label Qt shows, when one is visible.
QLabel* VisibleTip()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->inherits("QTipLabel") && widget->isVisible())
            return qobject_cast<QLabel*>(widget);
    return nullptr;
}

}  // namespace

class WindowFitTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void designedSizeKeepsTheLayoutTable();
    void smallScreensShowEveryControl();
    void smallestWindowKeepsControlsApart();
    void largerWindowGivesItsRoomToTheTables();
    void tooltipsWaitASecondAndStayNarrow();

private:
    // Shows the window on a screen, at the top left of its available area.
    void ShowOn(CParvexDlg& window, QScreen* screen);
    // Every visible control of the window lies inside `area` (global
    // coordinates); the visible command buttons do not overlap.
    void CheckReachable(const CParvexDlg& window, const QRect& area);

    QTemporaryDir m_folder;
    ScriptedPrompts m_prompts;
};

void WindowFitTest::initTestCase()
{
    QVERIFY(m_folder.isValid());
    QVERIFY(ScreenNamed("large") && ScreenNamed("xga") && ScreenNamed("hd720"));
    SetAppPrompts(&m_prompts);
    g_programFolder = m_folder.path().toStdString();
}

void WindowFitTest::cleanupTestCase()
{
    SetAppPrompts(nullptr);
}

void WindowFitTest::ShowOn(CParvexDlg& window, QScreen* screen)
{
    window.setScreen(screen);
    window.move(screen->availableGeometry().topLeft());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

void WindowFitTest::CheckReachable(const CParvexDlg& window, const QRect& area)
{
    QVERIFY2(area.contains(window.frameGeometry()),
             qPrintable(QStringLiteral("frame %1,%2 %3x%4")
                            .arg(window.frameGeometry().x())
                            .arg(window.frameGeometry().y())
                            .arg(window.frameGeometry().width())
                            .arg(window.frameGeometry().height())));
    std::vector<QRect> buttons;
    for (QWidget* child : window.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (child->isHidden())
            continue;
        const QRect global(child->mapToGlobal(QPoint(0, 0)), child->size());
        QVERIFY2(area.contains(global), qPrintable(child->objectName()));
        QVERIFY2(window.rect().contains(child->geometry()), qPrintable(child->objectName()));
        if (qobject_cast<Pic_Button*>(child)) {
            for (const QRect& other : buttons)
                QVERIFY2(!other.intersects(child->geometry()), qPrintable(child->objectName()));
            buttons.push_back(child->geometry());
        }
    }
    QVERIFY(buttons.size() >= 16);
}

void WindowFitTest::designedSizeKeepsTheLayoutTable()
{
    CParvexDlg window;
    const std::map<QString, QRect> created = ChildGeometries(window);
    const std::vector<int> resultColumns = ColumnWidths(window.m_resultTable);
    ShowOn(window, ScreenNamed("large"));

    // 697 x 479 dialog units, and the controls where the layout puts them.
    QCOMPARE(window.size(), DluToPixels(0, 0, 697, 479).size());
    const std::map<QString, QRect> designed = {
        {"cutGroup", DluToPixels(7, 7, 586, 465)},       {"stockGroup", DluToPixels(303, 7, 290, 243)},
        {"resultGroup", DluToPixels(7, 245, 586, 227)},  {"parameterGroup", DluToPixels(592, 7, 98, 175)},
        {"cutTable", DluToPixels(15, 22, 280, 179)},     {"stockTable", DluToPixels(311, 22, 273, 179)},
        {"resultTable", DluToPixels(15, 260, 567, 195)}, {"boundLabel", DluToPixels(15, 458, 567, 11)}, {"progress", DluToPixels(15, 215, 567, 15)},
        {"cutFormatButton", DluToPixels(207, 217, 76, 13)},
        {"stockExportButton", DluToPixels(411, 224, 54, 13)},
        {"interruptButton", DluToPixels(263, 234, 81, 16)},
        {"kerfEdit", DluToPixels(638, 51, 43, 12)},      {"speedSlider", DluToPixels(601, 107, 82, 14)},
        {"kindsLabel2", DluToPixels(613, 143, 59, 12)},  {"kindsCombo", DluToPixels(613, 159, 59, 13)},
        {"shortcutButton", DluToPixels(600, 195, 85, 14)}, {"computeButton", DluToPixels(606, 232, 71, 14)},
        {"leftoverButton", DluToPixels(606, 306, 71, 14)}, {"closeButton", DluToPixels(606, 454, 71, 14)},
    };
    const std::map<QString, QRect> shown = ChildGeometries(window);
    for (const auto& [name, rect] : designed)
        QCOMPARE(shown.at(name), rect);
    // Every control as it was made, and the result columns too.
    QVERIFY(shown == created);
    QCOMPARE(ColumnWidths(window.m_resultTable), resultColumns);

    // A trip through another size and back changes nothing either.
    window.resize(window.Layout().MinimumSize());
    QVERIFY(ChildGeometries(window) != created);
    window.resize(DluToPixels(0, 0, 697, 479).size());
    QVERIFY(ChildGeometries(window) == created);
    QCOMPARE(ColumnWidths(window.m_resultTable), resultColumns);
}

void WindowFitTest::smallScreensShowEveryControl()
{
    for (const char* name : {"xga", "hd720"}) {
        QScreen* screen = ScreenNamed(name);
        CParvexDlg window;
        ShowOn(window, screen);
        const QRect area = screen->availableGeometry();
        QVERIFY2(window.width() < DluToPixelsX(697) || window.height() < DluToPixelsY(479), name);
        CheckReachable(window, area);
        // The tables are still tables: wide and high enough for rows.
        QVERIFY(window.m_cutTable->height() > 150 && window.m_resultTable->height() > 150);
        QVERIFY(window.m_resultTable->geometry().right() < window.findChild<QWidget*>("computeButton")->x());
        // A picture for the eye.
        QVERIFY(window.grab().save(QString(TREVAK_TEST_OUTPUT_DIR) + "/main-window-" + name + ".png"));
    }
}

void WindowFitTest::smallestWindowKeepsControlsApart()
{
    CParvexDlg window;
    ShowOn(window, ScreenNamed("large"));
    window.resize(QSize(100, 100));
    QCOMPARE(window.size(), window.Layout().MinimumSize());
    CheckReachable(window, window.frameGeometry());
    // The two caption lines of the length-kinds box stay apart.
    const QRect first = window.findChild<QWidget*>("kindsLabel1")->geometry();
    const QRect second = window.findChild<QWidget*>("kindsLabel2")->geometry();
    QVERIFY(first.center().y() + window.fontMetrics().height() / 2 <= second.center().y());
}

void WindowFitTest::largerWindowGivesItsRoomToTheTables()
{
    CParvexDlg window;
    ShowOn(window, ScreenNamed("large"));
    const std::map<QString, QRect> before = ChildGeometries(window);
    const int cutColumn = window.m_cutTable->GetColumnWidth(1);
    window.resize(window.size() + QSize(300, 200));
    const std::map<QString, QRect> after = ChildGeometries(window);

    // All the extra width goes to the two input tables, all the height to the
    // input and result tables.
    const int inputWidth = after.at("cutTable").width() + after.at("stockTable").width();
    QCOMPARE(inputWidth, before.at("cutTable").width() + before.at("stockTable").width() + 300);
    // The result table ends a few pixels short of the stock table's edge,
    // where the stretch is proportional: a pixel of rounding.
    QVERIFY(std::abs(after.at("resultTable").width() - (before.at("resultTable").width() + 300)) <= 1);
    QCOMPARE(after.at("cutTable").height() + after.at("resultTable").height(),
             before.at("cutTable").height() + before.at("resultTable").height() + 200);
    QVERIFY(after.at("cutTable").height() > before.at("cutTable").height());
    QVERIFY(window.m_cutTable->GetColumnWidth(1) > cutColumn);

    // Everything else keeps its size (the progress bar and the bound line
    // stretch with the result table); the right column keeps its distance to
    // the window's right edge, and the close button to the bottom.
    for (const auto& [name, rect] : before) {
        if (name.endsWith("Table") || name.endsWith("Group") || name == "progress" || name == "boundLabel")
            continue;
        QCOMPARE(after.at(name).size(), rect.size());
    }
    QCOMPARE(window.width() - after.at("closeButton").right(), DluToPixelsX(697) - before.at("closeButton").right());
    QCOMPARE(window.height() - after.at("closeButton").bottom(),
             DluToPixelsY(479) - before.at("closeButton").bottom());
    // The parameters stay where they were.
    QCOMPARE(after.at("kerfEdit").y(), before.at("kerfEdit").y());
    CheckReachable(window, window.frameGeometry());
    QVERIFY(window.grab().save(QString(TREVAK_TEST_OUTPUT_DIR) + "/main-window-larger.png"));
}

void WindowFitTest::tooltipsWaitASecondAndStayNarrow()
{
    CParvexDlg window;
    ShowOn(window, ScreenNamed("large"));

    // The delay Qt waits before it shows the tooltip of the widget under the
    // pointer comes from that widget's style.
    for (MyListCtrl* table : {window.m_cutTable, window.m_stockTable}) {
        QWidget* viewport = table->viewport();
        QCOMPARE(viewport->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, viewport), 1000);
        QCOMPARE(table->style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, table), 1000);
    }

    // The tables' tip: three lines, as written.
    const QPoint inside = window.m_cutTable->mapToGlobal(QPoint(20, 20));
    QToolTip::showText(inside, window.m_cutTable->toolTip(), window.m_cutTable);
    QLabel* tip = VisibleTip();
    QVERIFY(tip);
    const int line = tip->fontMetrics().lineSpacing();
    QVERIFY2(tip->height() >= 3 * line && tip->height() < 5 * line, qPrintable(QString::number(tip->height())));
    QVERIFY(tip->width() <= 500);
    QCOMPARE(tip->palette().color(QPalette::WindowText), QColor(0, 64, 64));

    // A long line wraps at 500 pixels instead of running wide.
    const QString longLine = QString(QStringLiteral("双击表内各行修改，")).repeated(20);
    QVERIFY(tip->fontMetrics().horizontalAdvance(longLine) > 1000);
    QToolTip::showText(inside, TipText(longLine), window.m_cutTable);
    tip = VisibleTip();
    QVERIFY(tip);
    QVERIFY2(tip->width() <= 500, qPrintable(QString::number(tip->width())));
    QVERIFY(tip->height() >= 2 * line);
    QToolTip::hideText();
}

// The display's screens are set before the application starts.
int main(int argc, char** argv)
{
    QTemporaryDir config;
    if (!config.isValid())
        return 1;
    const QString path = config.filePath(QStringLiteral("screens.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(SCREENS_JSON);
    file.close();
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + QFile::encodeName(path));
    QApplication application(argc, argv);
    WindowFitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowFitTest.moc"
