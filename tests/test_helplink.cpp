// The help file and the maker's web page: the help path built from the program's directory, what
// the question-mark button, the banner and context help hand to the desktop's opener, and a failing
// opener.

#include "support/testprogram.h"

#include <QApplication>
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
        QCOMPARE(Start::helpFilePath(directory), path);
    }

    void helpButtonAndContextHelpOpenExactlyTheHelpPath_data() {
        QTest::addColumn<QString>("directory");
        QTest::newRow("spaces, umlauts") << QStringLiteral("/tmp/Meine Programme/Kalibrix ä");
        QTest::newRow("drive root") << "D:\\";
    }
    void helpButtonAndContextHelpOpenExactlyTheHelpPath() {
        QFETCH(QString, directory);
        TestProgram p;
        p.app().setPath(directory);
        p.start();
        Start& s = p.start_();
        const QString help = Start::helpFilePath(directory);
        QCOMPARE(p.app().helpFile(), help);

        QTest::mouseClick(s.Command2, Qt::LeftButton);
        QCOMPARE(p.shell.opened, QStringList{help});

        pressF1On(s.Check3->widget()); // a control with a help topic
        QCOMPARE(p.shell.opened, (QStringList{help, help}));
        pressF1On(s.Check1->widget()); // one without
        QCOMPARE(p.shell.opened.size(), 2);
    }

    // The banner opens the web page also while the magnifier runs; an opener that fails (file not
    // found) changes nothing in the panel.
    void bannerClickAndAFailingOpener() {
        const QUrl url(Start::webAddress(), QUrl::StrictMode);
        QVERIFY2(url.isValid() && (url.scheme() == "https" || url.scheme() == "http") && !url.host().isEmpty(),
                 qPrintable(Start::webAddress()));
        TestProgram p;
        p.start();
        Start& s = p.start_();
        QTest::mouseClick(s.Check3->widget(), Qt::LeftButton);
        p.advance(50);
        const QStringList before = panelState(p);
        QTest::mouseClick(s.Picture1, Qt::LeftButton, {}, QPoint(20, 150));
        QCOMPARE(p.shell.opened, QStringList{Start::webAddress()});
        p.shell.result = 2;
        QTest::mouseClick(s.Command2, Qt::LeftButton);
        QTest::mouseClick(s.Picture1, Qt::LeftButton);
        pressF1On(s.Check4->widget());
        QCOMPARE(p.shell.opened.size(), 4);
        QCOMPARE(panelState(p), before);
        const int grabs = p.screen.grabs();
        p.advance(50);
        QCOMPARE(p.screen.grabs(), grabs + 1);
    }
};

QTEST_MAIN(TestHelpLink)
#include "test_helplink.moc"
