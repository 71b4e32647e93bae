// The folders fixed at start-up, with HOME and the XDG folders pointed at a
// temporary folder.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "base/ReportConventions.h"
#include "platform/AppFolders.h"

class FoldersTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void userDataFolderUnderXdgDataHome();
    void userDataFolderWithTrailingSeparator();
    void userDataFolderDefaultsUnderHome();
    void documentsFolderUnderHome();
    void programFolderIsTheExecutablesWhenWritable();
    void programFolderFallsBackToUserData();
    void setUpCreatesTheFolders();
    void helpDocumentInTheProgramFolderFirst();
    void helpDocumentNextToTheExecutableOtherwise();
    void helpDocumentOfAnInstalledProgram();

private:
    QTemporaryDir m_home;
    QByteArray m_savedHome;
    QByteArray m_savedDataHome;
    QByteArray m_savedConfigHome;
};

void FoldersTest::initTestCase()
{
    QVERIFY(m_home.isValid());
    m_savedHome = qgetenv("HOME");
    m_savedDataHome = qgetenv("XDG_DATA_HOME");
    m_savedConfigHome = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QFile::encodeName(m_home.path()));
    // No user-dirs.dirs there: the documents folder is the default one under HOME.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
}

void FoldersTest::cleanupTestCase()
{
    qputenv("HOME", m_savedHome);
    m_savedDataHome.isNull() ? qunsetenv("XDG_DATA_HOME") : qputenv("XDG_DATA_HOME", m_savedDataHome);
    m_savedConfigHome.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", m_savedConfigHome);
}

void FoldersTest::userDataFolderUnderXdgDataHome()
{
    const QString data = m_home.filePath(QStringLiteral("data"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    QCOMPARE(QString::fromStdString(UserDataFolder()), data + QStringLiteral("/Trevak"));
}

void FoldersTest::userDataFolderWithTrailingSeparator()
{
    const QString data = m_home.filePath(QStringLiteral("data"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data + QStringLiteral("//")));
    QCOMPARE(QString::fromStdString(UserDataFolder()), data + QStringLiteral("/Trevak"));
}

void FoldersTest::userDataFolderDefaultsUnderHome()
{
    qunsetenv("XDG_DATA_HOME");
    QCOMPARE(QString::fromStdString(UserDataFolder()), m_home.path() + QStringLiteral("/.local/share/Trevak"));
    // A relative XDG_DATA_HOME is invalid and ignored.
    qputenv("XDG_DATA_HOME", "relative/data");
    QCOMPARE(QString::fromStdString(UserDataFolder()), m_home.path() + QStringLiteral("/.local/share/Trevak"));
}

void FoldersTest::documentsFolderUnderHome()
{
    QCOMPARE(QString::fromStdString(DocumentsFolder()), m_home.path() + QStringLiteral("/Documents"));
}

void FoldersTest::programFolderIsTheExecutablesWhenWritable()
{
    const QString folder = m_home.filePath(QStringLiteral("bin"));
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(QString::fromStdString(ChooseProgramFolder(folder.toStdString(), "/elsewhere/Trevak")), folder);
    // The write test leaves nothing behind.
    QVERIFY(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty());

    // An installed copy keeps its folder as installed, even for a user who
    // could write to it.
    QFile marker(folder + QStringLiteral("/INSTALLED"));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    QCOMPARE(ChooseProgramFolder(folder.toStdString(), "/elsewhere/Trevak"), std::string("/elsewhere/Trevak"));
}

void FoldersTest::programFolderFallsBackToUserData()
{
    const QString missing = m_home.filePath(QStringLiteral("no-such-folder"));
    QCOMPARE(ChooseProgramFolder(missing.toStdString(), "/data/Trevak"), std::string("/data/Trevak"));
    QCOMPARE(ChooseProgramFolder("", "/data/Trevak"), std::string("/data/Trevak"));

    const QString readOnly = m_home.filePath(QStringLiteral("readonly"));
    QVERIFY(QDir().mkpath(readOnly));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(readOnly + QStringLiteral("/probe"));
    const bool stillWritable = probe.open(QIODevice::WriteOnly);
    probe.remove();
    if (!stillWritable) {
        QCOMPARE(ChooseProgramFolder(readOnly.toStdString(), "/data/Trevak"), std::string("/data/Trevak"));
    }
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (stillWritable) {
        QSKIP("running with rights that ignore folder permissions; the read-only case is not observable");
    }
}

void FoldersTest::setUpCreatesTheFolders()
{
    const QString data = m_home.filePath(QStringLiteral("setup-data"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    SetUpFolders();

    QVERIFY(QDir(data + QStringLiteral("/Trevak")).exists());
    QCOMPARE(QString::fromStdString(g_programPath), QCoreApplication::applicationFilePath());
    QCOMPARE(QString::fromStdString(g_executableFolder), QCoreApplication::applicationDirPath());
    QCOMPARE(QString::fromStdString(g_documentsFolder), m_home.path() + QStringLiteral("/Documents"));
    // The test program's folder is writable, so it is the program's folder.
    QCOMPARE(QString::fromStdString(g_programFolder), QCoreApplication::applicationDirPath());
    QCOMPARE(QString::fromStdString(ConfigFolder()),
             QCoreApplication::applicationDirPath() + QStringLiteral("/Config"));
    QVERIFY(QDir(QString::fromStdString(ConfigFolder())).exists());
    QCOMPARE(QString::fromStdString(HelpDocumentPath()),
             QCoreApplication::applicationDirPath() + QStringLiteral("/Config/QRMHelp.pdf"));

    // A second start finds everything in place.
    SetUpFolders();
    QVERIFY(QDir(data + QStringLiteral("/Trevak")).exists());
}

// Writes an (empty) help document into folder/Config; false when it cannot.
static bool PlaceHelpDocument(const QString& folder)
{
    if (!QDir().mkpath(folder + QStringLiteral("/Config"))) {
        return false;
    }
    QFile file(folder + QStringLiteral("/Config/QRMHelp.pdf"));
    return file.open(QIODevice::WriteOnly);
}

void FoldersTest::helpDocumentInTheProgramFolderFirst()
{
    const QString program = m_home.filePath(QStringLiteral("help-first/program"));
    const QString executable = m_home.filePath(QStringLiteral("help-first/executable"));
    QVERIFY(PlaceHelpDocument(program));
    QVERIFY(PlaceHelpDocument(executable));
    QCOMPARE(QString::fromStdString(ChooseHelpDocument(program.toStdString(), executable.toStdString())),
             program + QStringLiteral("/Config/QRMHelp.pdf"));
}

void FoldersTest::helpDocumentNextToTheExecutableOtherwise()
{
    const QString program = m_home.filePath(QStringLiteral("help-second/program"));
    const QString executable = m_home.filePath(QStringLiteral("help-second/executable"));
    QVERIFY(QDir().mkpath(program + QStringLiteral("/Config")));

    // Neither folder has the document: the one next to the executable is named.
    QCOMPARE(QString::fromStdString(ChooseHelpDocument(program.toStdString(), executable.toStdString())),
             executable + QStringLiteral("/Config/QRMHelp.pdf"));

    QVERIFY(PlaceHelpDocument(executable));
    QCOMPARE(QString::fromStdString(ChooseHelpDocument(program.toStdString(), executable.toStdString())),
             executable + QStringLiteral("/Config/QRMHelp.pdf"));

    // A folder of that name is not the document.
    QVERIFY(QDir().mkpath(program + QStringLiteral("/Config/QRMHelp.pdf")));
    QCOMPARE(QString::fromStdString(ChooseHelpDocument(program.toStdString(), executable.toStdString())),
             executable + QStringLiteral("/Config/QRMHelp.pdf"));

    // Without a known executable folder the program folder's path stands.
    QCOMPARE(QString::fromStdString(ChooseHelpDocument(program.toStdString(), "")),
             program + QStringLiteral("/Config/QRMHelp.pdf"));
}

void FoldersTest::helpDocumentOfAnInstalledProgram()
{
    // Installed: the executable's folder is read-only, so the program's folder
    // is the per-user data folder, and the help document stays in the
    // executable's configuration folder.
    const QString userData = m_home.filePath(QStringLiteral("installed/data/Trevak"));
    const QString executable = m_home.filePath(QStringLiteral("installed/lib/trevak"));
    QVERIFY(QDir().mkpath(userData + QStringLiteral("/Config")));
    QVERIFY(PlaceHelpDocument(executable));

    const std::string savedProgram = g_programFolder;
    const std::string savedExecutable = g_executableFolder;
    g_programFolder = userData.toStdString();
    g_executableFolder = executable.toStdString();
    const QString config = QString::fromStdString(ConfigFolder());
    const QString help = QString::fromStdString(HelpDocumentPath());
    g_programFolder = savedProgram;
    g_executableFolder = savedExecutable;

    QCOMPARE(config, userData + QStringLiteral("/Config"));
    QCOMPARE(help, executable + QStringLiteral("/Config/QRMHelp.pdf"));
}

QTEST_MAIN(FoldersTest)
#include "FoldersTest.moc"
