// The main window against the simulated router (snmpsim on loopback): that each page's cells show
// the right values after start-up (the values themselves are the core's tests), what it shows
// with the router switched off, the radio groups, the options, a Set, saving a table and the
// auto-refresh of the General page.
#include "Agents.h"
#include "FakeAgent.h"
#include "RecordedMessages.h"
#include "TestSeams.h"
#include "app/Main.h"
#include "app/graph/GraphPage.h"
#include "app/syslog/SysLogWin.h"
#include "core/LineHistory.h"
#include "snmp/Transport.h"
#include "widgets/RazCell.h"
#include "widgets/RollOverBtn.h"
#include "widgets/TrafficChart.h"

#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <memory>

using widgets::Alignment;
using widgets::tRazCell;
using widgets::tRollOverBtn;

namespace {

const std::string Prefix = "1.3.6.1.2.1.";

// A window with recording seams, built (and so started) from the profile written just before.
struct Window {
    testing_seams::FixedClock clock;
    testing_seams::RecordingSounds sounds;
    testing_seams::CountingCursor cursor;
    testing_seams::RecordedMessages messages;
    app::SaveDialog dialog;
    std::unique_ptr<TForm1> form;

    Window() {
        form = std::make_unique<TForm1>(app::WindowSeams{clock, sounds, cursor, messages, dialog});
        form->show();
    }
    // A value cell by the designer name its page gives it.
    [[nodiscard]] tRazCell* cell(const std::string& name) const {
        return find<tRazCell>(name.c_str());
    }
    template <typename T> [[nodiscard]] T* find(const char* name) const {
        T* widget = form->findChild<T*>(QString::fromLatin1(name));
        if (widget == nullptr) qFatal("no control %s", name);
        return widget;
    }
    [[nodiscard]] QString text(const char* label) const { return find<QLabel>(label)->text(); }
    void click(const char* button) const {
        QTest::mouseClick(find<tRollOverBtn>(button), Qt::LeftButton);
    }
    [[nodiscard]] QStringList memoLines() const {
        const QString text = find<QPlainTextEdit>("Memo2")->toPlainText();
        return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
    }
};

// The profile a window starts from: everything at its default except what is given.
void WriteProfile(const QString& address, const QList<QPair<QString, QVariant>>& extra = {}) {
    QSettings store(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
    store.clear();
    store.setValue(QStringLiteral("IPAddress"), address);
    store.setValue(QStringLiteral("Community"), QStringLiteral("public"));
    for (const auto& [key, value] : extra)
        store.setValue(key, value);
    store.sync();
}

// A cell's value with RawData off and on.
struct Expected {
    const char* cell;
    const char* formatted;
    const char* raw = nullptr; // nullptr: as formatted
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    SimulatedRouter router_;
    QTemporaryDir dir_;

    [[nodiscard]] QString address() const { return QString::fromStdString(router_.Address()); }
    QList<QUrl> opened_;

public slots:
    void Open(const QUrl& url) { opened_.append(url); }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        QVERIFY2(router_.Start(), router_.Output().c_str());
        QVERIFY(dir_.isValid());
    }

    void withoutRouterAndOptions() {
        fake::FakeAgent silent(fake::Behaviour::Silent);
        const QString at = QString::fromStdString(silent.Address());
        WriteProfile(at);
        Window w;
        QCOMPARE(w.cell("tRazCell133")->toolTip().toStdString(), mib::OptionsHints[3]);

        // Absent router (its failure text: the lost router below): every cell labelled but
        // empty, one error sound, no busy cursor, and one datagram (the identity probe) sent.
        QCOMPARE(w.cell("tRazCell61")->String1(), QStringLiteral("InDatagrams"));
        QCOMPARE(w.cell("tRazCell61")->toolTip().toStdString(), mib::UdpMIB[0].Hint);
        for (const app::CellLayout& layout : app::CellLayouts())
            if (layout.page != app::OptionsPageIndex)
                QVERIFY2(w.cell("tRazCell" + std::to_string(layout.number))->String2().isEmpty(),
                         QByteArray::number(layout.number).constData());
        QCOMPARE(w.sounds.Played(), std::vector{core::Sound::Error});
        QCOMPARE(w.cursor.BusyCount(), 0);
        QVERIFY(!w.form->Timer1()->isActive());

        // Nothing the pages offer talks to an absent router.
        for (const char* button :
             {"SystemBtnRefresh", "IntfBtnRefresh", "IntfBtnWAN", "ADSLBtnRefresh",
              "ADSLBtnDownStream", "IPBtnRefresh", "ICMPBtnRefresh", "TCPBtnRefresh",
              "UDPBtnRefresh", "SNMPBtnRefresh", "TableBtnUDP", "TableBtnRefresh"})
            w.click(button);
        QCOMPARE(w.text("Label12"), QStringLiteral("udpTable"));
        QVERIFY(w.memoLines().isEmpty() && w.cell("tRazCell61")->String2().isEmpty());
        QCOMPARE(silent.RequestCount(), 1);
        QVERIFY(w.messages.errors.isEmpty());

        // The menu is one radio group; each button shows its own page, a second click on the
        // selected one changes nothing.
        for (int i = 0; i < 2 * app::MenuButtonCount; ++i) {
            w.click(app::MenuButtons[i / 2].name.data());
            QCOMPARE(w.form->ActivePage(), app::MenuButtons[i / 2].page);
            for (int j = 0; j < app::MenuButtonCount; ++j)
                QCOMPARE(w.find<tRollOverBtn>(app::MenuButtons[j].name.data())->ButtonDown(),
                         i / 2 == j);
        }

        // Options. A toggle is down while its setting is off.
        QVERIFY(!w.find<tRollOverBtn>("OptionsBtnConBeep")->ButtonDown());
        QVERIFY(w.find<tRollOverBtn>("OptionsBtnRawData")->ButtonDown());
        QCOMPARE(w.find<QLineEdit>("Edit1")->text(), at);

        // Centring off re-aligns every cell at once.
        w.click("OptionsBtnCntText");
        QVERIFY(!w.form->settings().CntText);
        QCOMPARE(w.cell("tRazCell30")->Alignment1(), Alignment::Right);
        QCOMPARE(w.cell("tRazCell150")->Alignment2(), Alignment::Left);

        auto* edit6 = w.find<QLineEdit>("Edit6");
        edit6->clear();
        QTest::keyClicks(edit6, QStringLiteral("9x9-9"));
        QCOMPARE(edit6->text(), QStringLiteral("999"));
        emit edit6->editingFinished();
        QCOMPARE(edit6->text(), QStringLiteral("600"));
        QCOMPARE(w.form->settings().RefreshInt, 600);
        QCOMPARE(w.form->Timer1()->interval(), 600000);

        // Autostart on and off again leaves no entry behind.
        const QString autostart = core::SettingsStore::AutostartPath();
        w.click("OptionsBtnAutoRun");
        QVERIFY(QFile::exists(autostart));
        w.click("OptionsBtnAutoRun");
        QVERIFY(!QFile::exists(autostart));
        // A change the system refuses leaves toggle and setting as they were.
        QFile blocker(QFileInfo(autostart).absolutePath());
        QVERIFY(QDir(blocker.fileName()).removeRecursively() && blocker.open(QIODevice::WriteOnly));
        w.click("OptionsBtnAutoRun");
        QVERIFY(!w.form->settings().AutoRun);
        QVERIFY(w.find<tRollOverBtn>("OptionsBtnAutoRun")->ButtonDown());
        QCOMPARE(w.messages.errors.last(),
                 QStringLiteral("The autostart entry could not be changed."));
        blocker.remove();

        // The syslog file is chosen with the shared dialog.
        QList<app::SaveDialog::Request> requests;
        std::optional<QString> answer = QStringLiteral("/tmp/router-log");
        w.dialog.SetAnswerer([&](const app::SaveDialog::Request& request, QString&) {
            requests.append(request);
            return answer;
        });
        w.click("OptionsBtnSysLogFile");
        QCOMPARE(requests.at(0).fileName, QStringLiteral("SysLog"));
        QCOMPARE(w.form->settings().SLFileName, QStringLiteral("/tmp/router-log.txt"));
    }

    // Each page's cells bound to their own value array, first to last, in both RawData modes.
    void startUpShowsRouterData() {
        // Formatted and centred, then raw with label and value meeting at the boundary.
        for (const bool rawData : {false, true}) {
            const bool cntText = !rawData;
            WriteProfile(address(), {{QStringLiteral("RawData"), rawData ? 1 : 0},
                                     {QStringLiteral("CntText"), cntText ? 1 : 0}});
            Window w;
            QCOMPARE(w.text("StaticText5"),
                     QStringLiteral("Corvane R62GX ADSL router, TAVIX firmware 3.4.2"));
            QCOMPARE(w.sounds.Played(), std::vector{core::Sound::Information});
            QVERIFY(w.messages.errors.isEmpty());
            const Expected cells[] = {{"tRazCell1", "forwarding(1)", "1"},
                                      {"tRazCell20", "23"},
                                      {"tRazCell21", "501"},
                                      {"tRazCell46", "526"}, // IP, ICMP
                                      {"tRazCell47", "vanj(4)", "4"},
                                      {"tRazCell60", "615"},
                                      {"tRazCell61", "70101"},
                                      {"tRazCell64", "70404"}, // TCP, UDP
                                      {"tRazCell65", "1101"},
                                      {"tRazCell92", "disabled(2)", "2"}, // SNMP
                                      // General Info
                                      {"tRazCell129", "end-to-end + applications", "72"},
                                      {"tRazCell143", "192.168.1.254"},
                                      {"tRazCell145", "1500"},
                                      {"tRazCell149", "255.255.255.255"},
                                      {"tRazCell150", "1492"},
                                      {"tRazCell153", "448 Kbps", "448000"},
                                      {"tRazCell160", "6.1 dB", "61"},
                                      // Interfaces, Ethernet view: the LAN port is ifIndex 2.
                                      {"tRazCell93", "eth0"},
                                      {"tRazCell94", "ethernet-csmacd(6)", "6"},
                                      {"tRazCell100", "12d:3h:25m:33s:", "1345"},
                                      {"tRazCell111", "202"},
                                      // ADSL-Line, modem end.
                                      {"tRazCell113", "R62GX-0A050C01"},
                                      {"tRazCell118", " noDefect ", "\x80"},
                                      {"tRazCell120", "1.02 Mbps", "1024000"},
                                      {"tRazCell124", "27"}};
            for (const Expected& e : cells) {
                tRazCell* cell = w.cell(e.cell);
                QCOMPARE(cell->String2(),
                         QString::fromLatin1(rawData && e.raw ? e.raw : e.formatted));
                QCOMPARE(cell->Alignment1(), cntText ? Alignment::Centre : Alignment::Right);
                QCOMPARE(cell->Alignment2(), cntText ? Alignment::Centre : Alignment::Left);
            }
            QCOMPARE(w.cell("tRazCell97")->String2(),
                     rawData ? QString::fromLatin1("\x00\x0a\x05\x0c\x01\x0e", 6)
                             : QStringLiteral("00:0A:05:0C:01:0E"));

            QCOMPARE(w.find<QLineEdit>("Edit3")->text() + w.find<QLineEdit>("Edit5")->text(),
                     QStringLiteral("noc@example.netWiring cupboard"));
            QVERIFY(
                w.text("StaticText7")
                    .startsWith(QStringLiteral("Router uptime:  12 days 3 hours 25 mins 47 secs")));
            QCOMPARE(w.text("Label22") + w.text("Label23"), QStringLiteral("LAN (up)WAN (up)"));
            // The 64-bit counters answered, so the WAN data cells show them.
            QVERIFY(w.cell("tRazCell151")->toolTip().contains(QStringLiteral("(64 bit)")));
            const QRegularExpression octets(rawData ? QStringLiteral("^\\d{10,}$")
                                                    : QStringLiteral("^\\d+(\\.\\d+)? GB$"));
            for (const char* n : {"tRazCell146", "tRazCell147", "tRazCell151", "tRazCell152"})
                QVERIFY2(octets.match(w.cell(n)->String2()).hasMatch(),
                         qPrintable(w.cell(n)->String2()));
            QVERIFY(w.memoLines().isEmpty() && w.text("Label12").isEmpty()); // no table chosen yet
        }
    }

    void viewButtonsAreRadioGroupsAndSaveTheTable() {
        WriteProfile(address());
        Window w;
        auto down = [&](std::initializer_list<const char*> group) {
            QString result;
            for (const char* name : group)
                result +=
                    w.find<tRollOverBtn>(name)->ButtonDown() ? QLatin1Char('1') : QLatin1Char('0');
            return result;
        };
        const auto intf = {"IntfBtnLAN", "IntfBtnWAN", "IntfBtnLANX", "IntfBtnWANX"};
        QCOMPARE(down(intf), QStringLiteral("1000"));
        w.click("IntfBtnWANX");
        QCOMPARE(down(intf), QStringLiteral("0001"));
        QCOMPARE(w.text("Label11"), QStringLiteral("WAN Uplink (ifX)"));
        for (const char* n : {"tRazCell110", "tRazCell111", "tRazCell112"})
            QVERIFY(w.cell(n)->isHidden());
        QCOMPARE(w.cell("tRazCell93")->String2(), QStringLiteral("atm0")); // found past ifNumber
        QCOMPARE(w.cell("tRazCell109")->String2(), QStringLiteral("false(2)"));
        // The selected view again: no fetch, no refill.
        w.cell("tRazCell93")->SetString2(QStringLiteral("sentinel"));
        w.click("IntfBtnWANX");
        QCOMPARE(w.cell("tRazCell93")->String2(), QStringLiteral("sentinel"));
        w.click("IntfBtnWAN");
        QCOMPARE(down(intf), QStringLiteral("0100"));
        QCOMPARE(w.text("Label11"), QStringLiteral("WAN Uplink"));
        QVERIFY(!w.cell("tRazCell110")->isHidden() && !w.cell("tRazCell112")->isHidden());
        QCOMPARE(w.cell("tRazCell94")->String2(), QStringLiteral("ppp(23)"));

        const auto adsl = {"ADSLBtnUpStream", "ADSLBtnDownStream"};
        w.click("ADSLBtnDownStream");
        QCOMPARE(down(adsl), QStringLiteral("01"));
        QCOMPARE(w.text("Label15"), QStringLiteral("DownStream(ATU-C)"));
        QCOMPARE(w.cell("tRazCell113")->String1(), QStringLiteral("InvSerialNumber"));
        QCOMPARE(w.cell("tRazCell113")->String2(), QStringLiteral("DSLAM-7731-A14"));
        QCOMPARE(w.cell("tRazCell124")->String2(), QStringLiteral("254"));
        QCOMPARE(w.cell("tRazCell118")->width(), 552); // a defect is listed across both columns
        w.click("ADSLBtnUpStream");
        QCOMPARE(down(adsl), QStringLiteral("10"));
        QCOMPARE(w.text("Label15"), QStringLiteral("UpStream(ATU-R)"));
        QCOMPARE(w.cell("tRazCell118")->width(), 260);

        const auto tables = {"TableBtnAddr", "TableBtnRoute", "TableBtnMedia", "TableBtnConn",
                             "TableBtnUDP"};
        QList<app::SaveDialog::Request> requests;
        std::optional<QString> answer;
        w.dialog.SetAnswerer([&](const app::SaveDialog::Request& request, QString&) {
            requests.append(request);
            return answer;
        });
        QCOMPARE(down(tables), QStringLiteral("00000"));
        w.click("TableBtnSave"); // no table chosen: no dialog
        QCOMPARE(w.dialog.TimesShown(), 0);
        w.click("TableBtnAddr");
        QCOMPARE(down(tables), QStringLiteral("10000"));
        QCOMPARE(w.text("Label12"), QStringLiteral("ipAddressTable"));
        const QStringList lines = w.memoLines();
        QCOMPARE(lines.size(), 3 * 6);
        QCOMPARE(lines[7], QStringLiteral("ipAdEntIfIndex\t\tbr0(1)"));
        w.find<QPlainTextEdit>("Memo2")->setPlainText(QStringLiteral("sentinel"));
        w.click("TableBtnAddr");
        QCOMPARE(w.memoLines(), QStringList{QStringLiteral("sentinel")});
        w.click("TableBtnRefresh");
        QCOMPARE(w.memoLines(), lines);

        w.click("TableBtnRoute");
        QCOMPARE(down(tables), QStringLiteral("01000"));
        answer = dir_.filePath(QStringLiteral("routes")); // no suffix: ".txt" is added
        w.click("TableBtnSave");
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].fileName, QStringLiteral("ipRouteTable"));
        QCOMPARE(requests[0].selectedFilter, QStringLiteral("Text Files (*.txt)"));
        QFile saved(dir_.filePath(QStringLiteral("routes.txt")));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QCOMPARE(bytes,
                 (w.memoLines().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());

        // A file that cannot be written is reported, not passed over.
        answer = dir_.filePath(QStringLiteral("no-such-dir/routes.txt"));
        w.click("TableBtnSave");
        QCOMPARE(requests.size(), 2);
        QCOMPARE(w.messages.errors.size(), 1);
        QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("no-such-dir/routes.txt"))));
    }

    // The real dialog behind the seam: its filters, suffix and overwrite prompt.
    void saveDialogConfiguresQFileDialog() {
        app::SaveDialog dialog;
        const QString path = dir_.filePath(QStringLiteral("chosen"));
        bool checked = false;
        QTimer::singleShot(0, [&] {
            auto* fileDialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (fileDialog == nullptr) return;
            checked = fileDialog->windowTitle() == QStringLiteral("Save it") &&
                      fileDialog->acceptMode() == QFileDialog::AcceptSave &&
                      fileDialog->nameFilters() == app::SaveDialog::Filters() &&
                      fileDialog->selectedNameFilter() == QStringLiteral("Text Files (*.txt)") &&
                      fileDialog->defaultSuffix() == QStringLiteral("txt") &&
                      !fileDialog->testOption(QFileDialog::DontConfirmOverwrite);
            fileDialog->selectNameFilter(QStringLiteral("BMP Files (*.bmp)"));
            fileDialog->selectFile(path);
            QMetaObject::invokeMethod(fileDialog, "accept");
        });
        const std::optional<QString> chosen =
            dialog.Execute(nullptr, QStringLiteral("Save it"), QStringLiteral("proposed"));
        QVERIFY(checked);
        QVERIFY(chosen.has_value());
        QCOMPARE(QFileInfo(*chosen).fileName(), QStringLiteral("chosen.txt"));
        QCOMPARE(dialog.LastFilter(), QStringLiteral("BMP Files (*.bmp)"));
        QCOMPARE(app::WithDefaultSuffix(QStringLiteral("/a.b/name"), QStringLiteral("txt")),
                 QStringLiteral("/a.b/name.txt"));
        QCOMPARE(app::WithDefaultSuffix(QStringLiteral("/a/name.log"), QStringLiteral("txt")),
                 QStringLiteral("/a/name.log"));
    }

    void timerFollowsRefreshInt() {
        const std::pair<int, int> cases[] = {{1000, 1000000},         // beyond the page's range
                                             {100000000, 2147483000}, // too long for a timer
                                             {-5, 0}};
        for (const auto& [refreshInt, interval] : cases) {
            fake::FakeAgent silent(fake::Behaviour::Silent);
            WriteProfile(QString::fromStdString(silent.Address()),
                         {{QStringLiteral("RefreshInt"), refreshInt}});
            Window w;
            QCOMPARE(w.form->Timer1()->isActive() ? w.form->Timer1()->interval() : 0, interval);
        }
    }

    void startMinimisedAndReportedErrors() {
        fake::FakeAgent silent(fake::Behaviour::Silent);
        WriteProfile(QString::fromStdString(silent.Address()), {{QStringLiteral("StartTray"), 1},
                                                                {QStringLiteral("MinTray"), 1},
                                                                {QStringLiteral("SLDocked"), 0}});
        Window w;
        QVERIFY(w.form->windowState() & Qt::WindowMinimized);
        // With no tray icon to bring it back, the window is not hidden, at start or later.
        QVERIFY(w.form->ShowOnStart() && !w.form->Form2()->isVisible());
        w.form->setWindowState(Qt::WindowNoState); // restored from the taskbar: the log window too
        QVERIFY(w.form->Form2()->isVisible());
        w.form->showMinimized();
        QVERIFY(!QTest::qWaitFor([&w] { return w.form->isHidden(); }, 300));
        QVERIFY(w.form->isMinimized());

        // Values the core could not format reach the user as one box per fetch, each message
        // once.
        auto tick = [&](std::vector<std::string> errors) {
            w.form->statistics().Errors = std::move(errors);
            w.form->Timer1Timer();
        };
        tick({"'x' is not a valid floating point value", "'x' is not a valid floating point value",
              "second"});
        QCOMPARE(w.messages.errors,
                 QStringList{QStringLiteral("'x' is not a valid floating point value\nsecond")});
        QVERIFY(w.form->statistics().Errors.empty());
        // The timer reports a failure once, not on every tick; a new one is reported, and after
        // a clean tick the same failure is news again.
        for (const char* error : {"third", "third", "fourth", "", "fourth"})
            tick(*error ? std::vector<std::string>{error} : std::vector<std::string>{});
        QCOMPARE(w.messages.errors.mid(1),
                 (QStringList{QStringLiteral("third"), QStringLiteral("fourth"),
                              QStringLiteral("fourth")}));
    }

    void aboutLinkOpensTheHomePage() {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "Open");
        WriteProfile(QStringLiteral("127.0.0.1:9"));
        Window w;
        w.click("MenuBtnAbout");
        auto* link = w.find<QLabel>("AboutBtnWWW");
        QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
        QCOMPARE(opened_, QList<QUrl>{QUrl(QStringLiteral(LINESCOPE_HOMEPAGE))});
    }

    void closeSavesPlacement() {
        fake::FakeAgent silent(fake::Behaviour::Silent);
        WriteProfile(QString::fromStdString(silent.Address()),
                     {{QStringLiteral("WinX"), -1}, {QStringLiteral("WinY"), 5}});
        {
            Window w;
            const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
            // Centred up to the frame, whose size is unknown before the window is first shown.
            QVERIFY((w.form->frameGeometry().center() - desktop.center()).manhattanLength() <= 6);
        }
        WriteProfile(QString::fromStdString(silent.Address()),
                     {{QStringLiteral("WinX"), 0}, {QStringLiteral("WinY"), 12}});
        Window w;
        QCOMPARE(w.form->pos(), QPoint(0, 12));
        w.form->move(37, 41);
        // An address typed but not yet left is what the user meant.
        w.find<QLineEdit>("Edit1")->setFocus();
        w.find<QLineEdit>("Edit1")->setText(QStringLiteral("10.1.2.3"));
        w.form->close();
        QSettings store(QStringLiteral("Corvane"), QStringLiteral("LineScope"));
        QCOMPARE(store.value(QStringLiteral("IPAddress")).toString(), QStringLiteral("10.1.2.3"));
        QCOMPARE(store.value(QStringLiteral("WinX")).toInt(), 37);
        QCOMPARE(store.value(QStringLiteral("WinY")).toInt(), 41);
    }

    void lostRouterCostsOneTimeoutAndConnectRestoresIt() {
        fake::FakeAgent relay; // in front of the simulated router
        relay.ForwardTo(router_.Address());
        const QString at = QString::fromStdString(relay.Address());
        WriteProfile(at, {{QStringLiteral("RefreshInt"), 1}});
        {
            // A router that answers the identity check and then nothing: the failure state
            // after one timeout and the probe.
            relay.GoSilentAfter(2);
            Window w;
            QCOMPARE(relay.RequestCount(), 4);
            QVERIFY(w.text("StaticText5").startsWith(QStringLiteral("Cannot communicate")));
            QVERIFY(w.cell("tRazCell129")->String2().isEmpty());
            relay.GoSilentAfter(-1);
        }
        Window w;
        QCOMPARE(w.cell("tRazCell129")->String2(), QStringLiteral("end-to-end + applications"));
        const QString identity = w.text("StaticText5");
        const int sent = relay.RequestCount();
        relay.GoSilentAfter(0);
        QTRY_VERIFY_WITH_TIMEOUT(!w.form->query().RouterPresent, 8000);
        QTest::qWait(2500);                       // more ticks: they send nothing
        QCOMPARE(relay.RequestCount() - sent, 2); // one read and its probe
        QCOMPARE(w.text("StaticText5"),
                 QStringLiteral("Cannot communicate with Corvane router at ") + at +
                     QStringLiteral("\nplease check router IP address and community in options"));
        QCOMPARE(w.sounds.Count(core::Sound::Error), 1);
        for (const char* n : {"tRazCell129", "tRazCell143", "tRazCell145", "tRazCell66"})
            QVERIFY2(w.cell(n)->String2().isEmpty(), n);
        QVERIFY(w.text("StaticText7").isEmpty());
        QVERIFY(w.find<QLineEdit>("Edit3")->text().isEmpty());
        QVERIFY(w.messages.errors.isEmpty());
        w.click("MenuBtnIP");
        w.click("IPBtnRefresh");
        QCOMPARE(relay.RequestCount() - sent, 2);

        relay.GoSilentAfter(-1);
        w.click("OptionsBtnConnect");
        QCOMPARE(w.text("StaticText5"), identity);
        QCOMPARE(w.cell("tRazCell129")->String2(), QStringLiteral("end-to-end + applications"));
        QVERIFY(!w.cell("tRazCell66")->String2().isEmpty());
        QVERIFY(!w.find<QLineEdit>("Edit3")->text().isEmpty());

        // Another address typed and left without Connect ends the session with this router.
        fake::FakeAgent other(fake::Behaviour::Silent);
        auto* address = w.find<QLineEdit>("Edit1");
        address->setText(QString::fromStdString(other.Address()));
        w.form->Edit1Exit();
        QVERIFY(!w.form->query().RouterPresent);
        QVERIFY(w.text("StaticText5").contains(QStringLiteral("Connect To Router")));
        QVERIFY(w.cell("tRazCell129")->String2().isEmpty());
        w.click("SystemBtnSet1");
        QTest::qWait(1500);
        QCOMPARE(other.RequestCount(), 0);
    }

    void lineHistoryStartsOneIntervalAfterStartUp() {
        fake::FakeAgent relay; // in front of the simulated router, to see what is sent
        relay.ForwardTo(router_.Address());
        WriteProfile(QString::fromStdString(relay.Address()), {{QStringLiteral("HistoryInt"), 2}});
        Window w;
        QSignalSpy written(w.form->LineHistory(), &core::history::LineHistory::SampleWritten);
        QCOMPARE(relay.RequestCount(), 185); // start-up's own; a sampling graph adds 2
        QTest::qWait(1500);
        QCOMPARE(relay.RequestCount(), 185);
        QTRY_COMPARE_WITH_TIMEOUT(relay.RequestCount(), 186, 2000);
        const fake::Request read = relay.Requests().back();
        QCOMPARE(read.oids.size(), std::size_t(core::history::ColumnCount));
        // At the indices the start-up found: the ADSL line's 3, the WAN's 64-bit counters' 7.
        QCOMPARE(read.oids.front() + " " + read.oids.back(),
                 Prefix + "10.94.1.1.2.1.4.3 " + Prefix + "31.1.1.1.10.7");
        QTRY_COMPARE(written.size(), 1); // stored by the writer thread
    }

    void trafficGraph() {
        fake::FakeAgent relay; // in front of the simulated router, to see what is sent
        relay.ForwardTo(router_.Address());
        WriteProfile(QString::fromStdString(relay.Address()),
                     {{QStringLiteral("GraphRefreshInt"), 2}});
        auto ticked = [](const Window& w, std::initializer_list<const char*> names) {
            for (const char* name : names)
                if (!w.form->Graph().MenuItem(name)->isChecked()) return false;
            return true;
        };
        const auto intervals = {"NoRefresh1", "N1Second1", "N5Second1",  "N10Second1", "N30Second1",
                                "N1Minute1",  "N5Minute1", "N10Minute1", "N30Minute1"};
        {
            Window w;
            // The last three requests of start-up: the scale's line rate, then the two counters.
            const auto started = relay.Requests();
            QCOMPARE(started.size(), 187u);
            QCOMPARE(started[184].oids.front(), Prefix + "10.94.1.1.4.1.2.3");
            QCOMPARE(started[185].oids.front(), Prefix + "31.1.1.1.6.7");
            QCOMPARE(w.form->Graph().Chart1()->LeftMax(), 8128.0);
            QCOMPARE(w.form->Graph().Chart1()->LeftStep(), 508.0);
            // An interval that no item offers ticks none and is used all the same.
            QCOMPARE(w.form->Graph().Timer2()->interval(), 2000);
            QVERIFY(w.form->Graph().Timer2()->isActive());
            for (const char* name : intervals)
                QVERIFY2(!w.form->Graph().MenuItem(name)->isChecked(), name);

            for (const char* name : {"N3DChart1", "ShowPoints2", "N5Second1", "N64Kbit1"})
                w.form->Graph().MenuItem(name)->trigger();
            QCOMPARE(w.form->Graph().Timer2()->interval(), 5000);
            QCOMPARE(w.form->Graph().Chart1()->LeftMax(), 64.0);
            QCOMPARE(w.form->Graph().Chart1()->Series(1).lineWidth, 1);
            w.form->Graph().MenuItem("NoRefresh1")->trigger();
            QVERIFY(!w.form->Graph().Timer2()->isActive() && ticked(w, {"NoRefresh1"}));
            QVERIFY(!w.form->Graph().MenuItem("N5Second1")->isChecked());

            // A successful Connect starts sampling again from fresh readings.
            w.form->Graph().MenuItem("N1Minute1")->trigger();
            w.click("OptionsBtnConnect");
            const auto requests = relay.Requests();
            QCOMPARE(requests.back().oids.front(), Prefix + "31.1.1.1.10.7");
            QCOMPARE(requests[requests.size() - 2].oids.front(), Prefix + "31.1.1.1.6.7");
            w.form->Graph().MenuItem("NoRefresh1")->trigger();

            for (int i = 0; i < 40; ++i)
                w.form->Timer2Timer();
            w.click("GraphBtnClear");
            w.form->Timer2Timer();
            const widgets::TrafficChart* chart = w.form->Graph().Chart1();
            QCOMPARE(chart->Series(0).points.size(), 1);
            QCOMPARE(chart->Series(1).points.front().x, 40.0);
            QCOMPARE(chart->BottomMin(), 16.0);
            QCOMPARE(chart->BottomMax(), 40.0);

            app::SaveDialog::Request asked;
            QString answer = dir_.filePath(QStringLiteral("graph"));
            w.dialog.SetAnswerer([&](const app::SaveDialog::Request& request, QString&) {
                asked = request;
                return std::optional<QString>(answer);
            });
            w.click("GraphsBtnSave");
            QCOMPARE(asked.title, QStringLiteral("Please choose filename and path for BMP file"));
            QCOMPARE(asked.fileName, QStringLiteral("TrafficGraph"));
            QCOMPARE(asked.selectedFilter, QStringLiteral("BMP Files (*.bmp)"));
            QCOMPARE(QImage(answer + QStringLiteral(".bmp")).size(), chart->size());
            answer = dir_.filePath(QStringLiteral("missing/graph.bmp"));
            w.click("GraphsBtnSave");
            QCOMPARE(w.messages.errors.size(), 1);
            w.form->close();
        }
        Window w; // the same profile: the choices come back
        QVERIFY(ticked(w, {"N3DChart1", "ShowPoints2", "NoRefresh1", "N64Kbit1"}));
        QVERIFY(!w.form->Graph().MenuItem("StairChart1")->isChecked());
        QVERIFY(w.form->Graph().Chart1()->View3D() &&
                w.form->Graph().Chart1()->Series(1).showPoints);
        QVERIFY(!w.form->Graph().Timer2()->isActive());
    }

    // A walk holds up the window, and so the timer: the tick after it covers more than one
    // interval, and every point stays the router's real rate all the same.
    void graphRatesOverTheTimeThatPassed() {
        fake::FakeAgent relay;
        relay.ForwardTo(router_.Address());
        WriteProfile(QString::fromStdString(relay.Address()));
        Window w;
        w.clock.RunMonotonic();
        w.form->Graph().MenuItem("N1Second1")->trigger();
        const widgets::TrafficChart* chart = w.form->Graph().Chart1();
        QTRY_COMPARE_WITH_TIMEOUT(chart->Series(0).points.size(), 2, 3000);
        relay.DelayNext(snmp::tag::GetNextRequest, 2000);
        QElapsedTimer walk;
        walk.start();
        w.form->TableBtnUDPClick();
        QVERIFY(walk.elapsed() >= 2000);
        QTRY_COMPARE_WITH_TIMEOUT(chart->Series(0).points.size(), 4, 3000);
        // The WAN's 64-bit counters grow by 401000 octets a second in and 53000 out.
        for (const auto& [series, kbps] : {std::pair{0, 3208.0}, std::pair{1, 424.0}})
            for (const widgets::ChartPoint& point : chart->Series(series).points)
                QVERIFY2(qAbs(point.y - kbps) < kbps / 10, qPrintable(QString::number(point.y)));
    }

    // Last: it changes the simulated router's contact, and puts it back.
    void refreshTickAndSetButton() {
        WriteProfile(address(),
                     {{QStringLiteral("RefreshInt"), 1}, {QStringLiteral("RawData"), 1}});
        Window w;
        QCOMPARE(w.form->Timer1()->interval(), 1000);
        // The LAN octet counter grows every second, so the next tick shows a new value; it
        // leaves the edits and the other pages alone.
        auto* contact = w.find<QLineEdit>("Edit3");
        const QString original = contact->text();
        contact->setText(QStringLiteral("being typed"));
        const QString before = w.cell("tRazCell146")->String2();
        w.cell("tRazCell61")->SetString2(QStringLiteral("sentinel"));
        QTRY_VERIFY_WITH_TIMEOUT(w.cell("tRazCell146")->String2() != before, 5000);
        QCOMPARE(contact->text(), QStringLiteral("being typed"));

        contact->setText(QStringLiteral("lab@example.org"));
        w.click("SystemBtnSet1");
        QCOMPARE(contact->text(), QStringLiteral("lab@example.org"));
        std::string held;
        QVERIFY(snmp::SNMPGetValue("1.3.6.1.2.1.1.4.0", "public", router_.Address(), held));
        QCOMPARE(QString::fromStdString(held), QStringLiteral("lab@example.org"));
        QCOMPARE(w.cell("tRazCell61")->String2(),
                 QStringLiteral("sentinel")); // a Set repaints nothing else
        // Text Latin-1 cannot carry is refused, never sent as "?".
        contact->setText(QStringLiteral("Caf\u00e9 \u20ac \u6771\u4eac"));
        w.click("SystemBtnSet1");
        QVERIFY(w.messages.errors.last().contains(
            QStringLiteral("\"\u20ac\", \"\u6771\", \"\u4eac\"")));
        QVERIFY(snmp::SNMPGetValue("1.3.6.1.2.1.1.4.0", "public", router_.Address(), held));
        QCOMPARE(QString::fromStdString(held), QStringLiteral("lab@example.org"));
        contact->setText(original);
        w.click("SystemBtnSet1");
    }

    void cleanupTestCase() { router_.Stop(); }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
