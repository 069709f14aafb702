// The help file and the maker's web page: the help path built from the program's directory, what
// the question-mark button, the banner and context help hand to the desktop's opener (the help file,
// or the HTML help in the user's language), and a failing opener.

#include "support/germantexts.h"
#include "support/testprogram.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <optional>
#include <QFileInfo>
#include <QMessageBox>
#include <QTest>
#include <QUrl>

using kx::Start;
using kx::test::TestProgram;

namespace {

// What a user can see of the panel and what runs in it.
QStringList panelState(TestProgram& p) {
    Start& s = p.start_();
    QStringList state;
    state << QStringLiteral("visible %1, state %2").arg(s.isVisible()).arg(s.windowStateValue())
          << QStringLiteral("Check3 %1, Check4 %2").arg(s.Check3->value()).arg(s.Check4->value())
          << QStringLiteral("Frame2 %1, Picture1 %2").arg(s.Frame2->isVisibleTo(&s)).arg(s.Picture1->isVisibleTo(&s))
          << QStringLiteral("timers %1 %2").arg(s.Timer1->enabled()).arg(s.Timer2->enabled())
          << QStringLiteral("view %1").arg(qHashBits(s.Picture1->drawing().constBits(),
                                                     s.Picture1->drawing().sizeInBytes()))
          << QStringLiteral("windows %1").arg(QApplication::topLevelWidgets().size());
    return state;
}

void pressF1On(QWidget* control) {
    control->setFocus();
    QTest::keyClick(control, Qt::Key_F1);
}

} // namespace

class TestHelpLink : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void helpPathIsTheDirectoryFollowedDirectlyByTheFileName_data() {
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("path");
        QTest::newRow("plain") << "/opt/kalibrix" << "/opt/kalibrix/HILFE.hlp";
        QTest::newRow("spaces, umlauts") << QStringLiteral("/home/jörg/Meine Programme/Maßband")
                                         << QStringLiteral("/home/jörg/Meine Programme/Maßband/HILFE.hlp");
        QTest::newRow("root, doubled separator") << "/" << "//HILFE.hlp";
        QTest::newRow("backslash is a letter here") << "/opt/a\\b" << "/opt/a\\b/HILFE.hlp";
        QTest::newRow("drive directory") << "D:\\Tools" << "D:\\Tools\\HILFE.hlp";
        QTest::newRow("drive root, doubled separator") << "D:\\" << "D:\\\\HILFE.hlp";
        QTest::newRow("drive, spaces, umlauts") << QStringLiteral("C:\\Programme\\Zubehör Werkzeug")
                                                << QStringLiteral("C:\\Programme\\Zubehör Werkzeug\\HILFE.hlp");
        QTest::newRow("network share") << "\\\\server\\tools" << "\\\\server\\tools\\HILFE.hlp";
        QTest::newRow("drive with slashes") << "C:/Program Files/Kalibrix" << "C:/Program Files/Kalibrix/HILFE.hlp";
    }
    void helpPathIsTheDirectoryFollowedDirectlyByTheFileName() {
        QFETCH(QString, directory);
        QFETCH(QString, path);
        QCOMPARE(kx::helpFilePath(directory), path);
    }

    void helpButtonAndContextHelpOpenExactlyTheHelpPath_data() {
        QTest::addColumn<QString>("directory");
        QTest::newRow("spaces, umlauts") << QStringLiteral("/tmp/Meine Programme/Kalibrix ä");
        QTest::newRow("drive root") << "D:\\";
        QTest::newRow("the program's own") << QString();
    }
    void helpButtonAndContextHelpOpenExactlyTheHelpPath() {
        QFETCH(QString, directory);
        TestProgram p;
        if (!directory.isNull()) p.app().setPath(directory);
        p.start();
        Start& s = p.start_();
        const QString help = p.app().helpFile();
        if (directory.isNull()) {
            // Beside the program, written throughout with the platform's own separators.
            QCOMPARE(QFileInfo(help).dir(), QDir(QCoreApplication::applicationDirPath()));
            QCOMPARE(help, QDir::toNativeSeparators(help));
        } else {
            QCOMPARE(help, kx::helpFilePath(directory));
        }

        QTest::mouseClick(s.Command2, Qt::LeftButton);
        QCOMPARE(p.shell.opened, QStringList{help});

        pressF1On(s.Check3->widget()); // a control with a help topic
        pressF1On(s.Check1->widget()); // one without
        QCOMPARE(p.shell.opened, (QStringList{help, help, help}));
    }

    // Without a help file beside the program, "?" opens the HTML help's contents and F1 the focused
    // control's page, in German on a German desktop and in English otherwise, from beside the program
    // or from where it is installed; a help file beside the program wins.
    void htmlHelp_contentsAndTopicPages_data() {
        QTest::addColumn<QString>("helpDir");   // where the HTML help lies, from the program's directory
        QTest::addColumn<QStringList>("languages");
        QTest::addColumn<bool>("german");
        QTest::addColumn<bool>("helpFile");    // a HILFE.hlp beside the program
        QTest::addColumn<QString>("expected"); // the page F1 on the magnifier opens, from the program's directory
        QTest::newRow("build tree, English") << "help" << QStringList{"en", "de"} << false << false << "help/en/magnifier.html";
        QTest::newRow("installed, German") << "../share/kalibrix/help" << QStringList{"en", "de"} << true << false
                                           << "../share/kalibrix/help/de/magnifier.html";
        QTest::newRow("German desktop, English only") << "help" << QStringList{"en"} << true << false << "help/en/magnifier.html";
        QTest::newRow("help file wins") << "help" << QStringList{"en", "de"} << false << true << "HILFE.hlp";
    }
    void htmlHelp_contentsAndTopicPages() {
        QFETCH(QString, helpDir);
        QFETCH(QStringList, languages);
        QFETCH(bool, german);
        QFETCH(bool, helpFile);
        QFETCH(QString, expected);
        QTemporaryDir root;
        const QDir program(root.filePath(QStringLiteral("bin")));
        QVERIFY(QDir().mkpath(program.path()));
        auto touch = [](const QString& path) {
            QDir().mkpath(QFileInfo(path).path());
            QFile f(path);
            return f.open(QIODevice::WriteOnly);
        };
        for (const QString& language : languages)
            for (const char* page : {"index.html", "magnifier.html"})
                QVERIFY(touch(program.filePath(helpDir + '/' + language + '/' + page)));
        if (helpFile) QVERIFY(touch(program.filePath(QStringLiteral("HILFE.hlp"))));
        std::optional<kx::test::GermanTexts> language;
        if (german) language.emplace();
        TestProgram p;
        p.app().setPath(program.path());
        p.start();
        Start& s = p.start_();
        QTest::mouseClick(s.Command2, Qt::LeftButton);
        pressF1On(s.Check3->widget());
        const QString contents = helpFile ? expected : QString(expected).replace("magnifier", "index");
        QCOMPARE(p.shell.opened, (QStringList{QDir::cleanPath(program.filePath(contents)),
                                              QDir::cleanPath(program.filePath(expected))}));
    }

    // The banner opens the web page also while the magnifier runs; an opener that fails (file not
    // found) changes nothing else in the panel, but says so, in one message however often it fails.
    void bannerClickAndAFailingOpener() {
        const QUrl url(kx::webAddress(), QUrl::StrictMode);
        QVERIFY2(url.isValid() && (url.scheme() == "https" || url.scheme() == "http") && !url.host().isEmpty(),
                 qPrintable(kx::webAddress()));
        TestProgram p;
        p.start();
        Start& s = p.start_();
        QTest::mouseClick(s.Check3->widget(), Qt::LeftButton);
        p.advance(50);
        QStringList before = panelState(p);
        QTest::mouseClick(s.Picture1, Qt::LeftButton, {}, QPoint(20, 150));
        QCOMPARE(p.shell.opened, QStringList{kx::webAddress()});
        p.shell.result = false;
        QTest::mouseClick(s.Command2, Qt::LeftButton);
        QTest::mouseClick(s.Picture1, Qt::LeftButton);
        pressF1On(s.Check4->widget());
        QCOMPARE(p.shell.opened.size(), 4);
        QStringList after = panelState(p);
        QCOMPARE(after.takeLast(), before.last().left(8) + QString::number(before.last().mid(8).toInt() + 1));
        before.removeLast();
        QCOMPARE(after, before);
        const QList<QMessageBox*> messages = s.findChildren<QMessageBox*>();
        QCOMPARE(messages.size(), 1);
        QVERIFY2(messages[0]->text().contains(p.shell.opened.last()) && messages[0]->text().contains("does not exist"),
                 qPrintable(messages[0]->text()));
        const int grabs = p.screen.grabs();
        p.advance(50);
        QCOMPARE(p.screen.grabs(), grabs + 1);
    }
};

QTEST_MAIN(TestHelpLink)
#include "test_helplink.moc"
