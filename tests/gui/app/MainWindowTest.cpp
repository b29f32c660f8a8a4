// The main window against the simulated router (snmpsim on loopback): what every page shows
// after start-up, what it shows with the router switched off, the radio groups, the Set buttons,
// saving a table and the auto-refresh of the General page.
#include "Agents.h"
#include "Main.h"
#include "RazCell.h"
#include "RollOverBtn.h"
#include "TestSeams.h"
#include "Transport.h"
#include "UdpRelay.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>
#include <QtTest>
#include <memory>

using widgets::Alignment;
using widgets::tRazCell;
using widgets::tRollOverBtn;

namespace {

class RecordingMessages final : public app::MessageBoxes {
public:
    void Error(QWidget*, const QString& text) override { errors.append(text); }
    QStringList errors;
};

// A window with recording seams, built (and so started) from the profile written just before.
struct Window {
    testing_seams::FixedClock clock;
    testing_seams::RecordingSounds sounds;
    testing_seams::CountingCursor cursor;
    RecordingMessages messages;
    app::SaveDialog dialog;
    std::unique_ptr<TForm1> form;

    Window() {
        form = std::make_unique<TForm1>(app::WindowSeams{clock, sounds, cursor, messages, dialog});
        form->show();
    }
    [[nodiscard]] tRazCell* cell(int n) const { return form->Cell(n); }
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

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), text.size());
}

// The simulated router's data: OID -> value text as the agent serves it (plain values only).
QHash<QString, QString> LoadRouterData() {
    QHash<QString, QString> data;
    QFile file(QString::fromStdString(SourceDir()) +
               QStringLiteral("/tests/agent/data/public.snmprec"));
    if (!file.open(QIODevice::ReadOnly)) return data;
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).trimmed();
        const QStringList parts = line.split(QLatin1Char('|'));
        if (parts.size() == 3 && !parts[1].contains(QLatin1Char(':')))
            data.insert(parts[0], parts[2]);
    }
    return data;
}

struct Expected {
    int cell;
    const char* formatted; // RawData off
    const char* raw;       // RawData on
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private:
    SimulatedRouter router_;
    QHash<QString, QString> data_;
    QTemporaryDir dir_;

    [[nodiscard]] QString address() const { return QString::fromStdString(router_.Address()); }
    // The router's value of a dictionary object, the suffix completed by `index`.
    [[nodiscard]] QString value(std::string_view suffix, const char* index = "") const {
        const QString oid = Latin1(mib::MIBPrefix) + Latin1(suffix) + QLatin1String(index);
        if (!data_.contains(oid)) qFatal("no %s in the router's data", qPrintable(oid));
        return data_.value(oid);
    }

private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale::c());
        QVERIFY2(router_.Start(), router_.Output().c_str());
        data_ = LoadRouterData();
        QVERIFY(!data_.isEmpty());
        QVERIFY(dir_.isValid());
    }

    void frameWithoutRouter() {
        SilentUdpPort silent;
        WriteProfile(QString::fromStdString(silent.Address()));
        Window w;
        QCOMPARE(w.form->size(), QSize(764, 507));
        QCOMPARE(w.form->windowTitle(), QStringLiteral(" Corvane R62GX/R63 LineScope"));
        for (int i = 0; i < app::PageCount; ++i) {
            QWidget* page = w.form->Page(i);
            QCOMPARE(page->objectName(), Latin1(app::Pages[i].name));
            QCOMPARE(page->findChild<QLabel*>(Latin1(app::Pages[i].titleLabel))->text(),
                     Latin1(app::Pages[i].title));
        }
        QSet<QWidget*> cells;
        for (int n = 1; n <= app::CellCount; ++n) {
            QCOMPARE(w.form->findChildren<tRazCell*>(QStringLiteral("tRazCell%1").arg(n)).size(),
                     1);
            cells.insert(w.cell(n));
        }
        QCOMPARE(cells.size(), app::CellCount);

        // Button and option hints.
        const std::pair<const char*, std::string_view> hints[] = {
            {"SystemBtnRefresh", mib::RefreshHint},   {"TableBtnRefresh", mib::RefreshHint},
            {"SystemBtnSet2", mib::SetHint},          {"IntfBtnLANX", mib::IntfHints[2]},
            {"ADSLBtnDownStream", mib::AdslHints[1]}, {"TableBtnMedia", mib::TableHints[2]},
            {"TableBtnSave", mib::TableHints[5]},     {"OptionsBtnConnect", mib::OptionsHints[2]},
            {"tRazCell133", mib::OptionsHints[3]},    {"tRazCell125", mib::OptionsHints[6]},
            {"tRazCell161", mib::OptionsHints[16]},   {"OptionsBtnRawData", {}}};
        for (const auto& [name, text] : hints)
            QCOMPARE(w.find<QWidget>(name)->toolTip(), Latin1(text));
        QCOMPARE(w.find<QLineEdit>("Edit3")->accessibleName(), QStringLiteral("Contact"));
        QCOMPARE(w.find<QLineEdit>("Edit6")->accessibleName(),
                 QStringLiteral("Auto Refresh Interval"));

        // Absent router: the failure text, every cell labelled but empty, one error sound, no
        // busy cursor, and one datagram (the identity probe) is all that was sent.
        QCOMPARE(w.text("StaticText5"),
                 QStringLiteral("Cannot communicate with Corvane router at ") +
                     QString::fromStdString(silent.Address()) +
                     QStringLiteral("\nplease check router IP address and community in options"));
        for (const app::CellLayout& layout : app::CellLayouts()) {
            if (layout.page == app::OptionsPageIndex) continue;
            QCOMPARE(w.cell(layout.number)->String1(), Latin1(layout.entry->Label));
            QCOMPARE(w.cell(layout.number)->toolTip(), Latin1(layout.entry->Hint));
            QVERIFY2(w.cell(layout.number)->String2().isEmpty(),
                     QByteArray::number(layout.number).constData());
        }
        QCOMPARE(w.sounds.Count(core::Sound::Error), 1);
        QCOMPARE(w.sounds.Count(core::Sound::Information), 0);
        QCOMPARE(w.cursor.BusyCount(), 0);
        QVERIFY(!w.form->Timer1()->isActive());

        // Nothing the pages offer talks to an absent router.
        for (const char* button :
             {"SystemBtnRefresh", "IntfBtnRefresh", "IntfBtnWAN", "ADSLBtnRefresh",
              "ADSLBtnDownStream", "IPBtnRefresh", "ICMPBtnRefresh", "TCPBtnRefresh",
              "UDPBtnRefresh", "SNMPBtnRefresh", "TableBtnUDP", "TableBtnRefresh"})
            w.click(button);
        w.find<QLineEdit>("Edit3")->setText(QStringLiteral("typed"));
        w.click("SystemBtnSet1");
        QCOMPARE(w.find<QLineEdit>("Edit3")->text(), QStringLiteral("typed"));
        QCOMPARE(w.text("Label12"), QStringLiteral("udpTable"));
        QVERIFY(w.memoLines().isEmpty());
        QVERIFY(w.cell(61)->String2().isEmpty());
        QCOMPARE(silent.Received(), 1);
        QVERIFY(w.messages.errors.isEmpty());

        // The menu is one radio group; each button shows its own page, a second click on the
        // selected one changes nothing.
        for (int i = 0; i < app::MenuButtonCount; ++i) {
            for (int repeat = 0; repeat < 2; ++repeat) {
                w.click(app::MenuButtons[i].name.data());
                QCOMPARE(w.form->ActivePage(), app::MenuButtons[i].page);
                for (int j = 0; j < app::MenuButtonCount; ++j)
                    QCOMPARE(w.find<tRollOverBtn>(app::MenuButtons[j].name.data())->ButtonDown(),
                             i == j);
            }
        }
    }

    void startUpShowsRouterData_data() {
        QTest::addColumn<bool>("rawData");
        QTest::addColumn<bool>("cntText");
        QTest::newRow("formatted, centred") << false << true;
        QTest::newRow("formatted, label and value at the boundary") << false << false;
        QTest::newRow("raw, centred") << true << true;
        QTest::newRow("raw, label and value at the boundary") << true << false;
    }

    void startUpShowsRouterData() {
        QFETCH(bool, rawData);
        QFETCH(bool, cntText);
        WriteProfile(address(), {{QStringLiteral("RawData"), rawData ? 1 : 0},
                                 {QStringLiteral("CntText"), cntText ? 1 : 0}});
        Window w;
        auto expect = [&](const Expected& e) {
            QCOMPARE(w.cell(e.cell)->String2(), QString::fromLatin1(rawData ? e.raw : e.formatted));
        };
        QCOMPARE(w.text("StaticText5"), value("1.1.0"));
        QCOMPARE(w.sounds.Count(core::Sound::Information), 1);
        QCOMPARE(w.sounds.Count(core::Sound::Error), 0);
        QVERIFY(w.cursor.BusyCount() >= 1);
        QCOMPARE(w.cursor.Depth(), 0);
        QVERIFY(w.messages.errors.isEmpty());

        // Every cell of the data pages: its label, its alignment, and on the group pages the
        // router's value (three of them translated).
        for (const app::CellLayout& layout : app::CellLayouts()) {
            if (layout.page == app::OptionsPageIndex) continue;
            tRazCell* cell = w.cell(layout.number);
            QCOMPARE(cell->String1(), Latin1(layout.entry->Label));
            QCOMPARE(cell->Alignment1(), cntText ? Alignment::Centre : Alignment::Right);
            QCOMPARE(cell->Alignment2(), cntText ? Alignment::Centre : Alignment::Left);
        }
        for (const app::CounterPage& page : app::CounterPages)
            for (std::size_t i = 0; i < page.entries.size(); ++i)
                if (!(page.page == app::IPPageIndex && i == 0) &&
                    !(page.page == app::TCPPageIndex && i == 0) &&
                    !(page.page == app::SNMPPageIndex && i == 27))
                    QCOMPARE(w.cell(page.firstCell + static_cast<int>(i))->String2(),
                             value(page.entries[i].OID));
        for (const Expected& e : {Expected{1, "forwarding(1)", "1"}, Expected{47, "vanj(4)", "4"},
                                  Expected{92, "disabled(2)", "2"}})
            expect(e);

        // General Info.
        QCOMPARE(w.find<QLineEdit>("Edit3")->text(), QStringLiteral("noc@example.net"));
        QCOMPARE(w.find<QLineEdit>("Edit4")->text(), QStringLiteral("tavix-gw"));
        QCOMPARE(w.find<QLineEdit>("Edit5")->text(), QStringLiteral("Wiring cupboard"));
        QVERIFY(w.text("StaticText6").startsWith(QStringLiteral("Router initialized on ")));
        QVERIFY(w.text("StaticText7")
                    .startsWith(QStringLiteral("Router uptime:  12 days 3 hours 25 mins 47 secs")));
        QVERIFY(w.text("StaticText8").startsWith(QStringLiteral("Connection uptime:  ")));
        QCOMPARE(w.text("Label22"), QStringLiteral("LAN (up)"));
        QCOMPARE(w.text("Label23"), QStringLiteral("WAN (up)"));
        QCOMPARE(w.cell(145)->String2(), value("2.2.1.4.", "2"));
        QCOMPARE(w.cell(150)->String2(), value("2.2.1.4.", "4"));
        for (const Expected& e :
             {Expected{129, "end-to-end + applications", "72"},
              Expected{143, "192.168.1.254", "192.168.1.254"},
              Expected{144, "255.255.255.0", "255.255.255.0"},
              Expected{148, "203.0.113.45", "203.0.113.45"},
              Expected{149, "255.255.255.255", "255.255.255.255"},
              Expected{153, "448 Kbps", "448000"}, Expected{154, "17.8 dB", "178"},
              Expected{155, "12.5 dBm", "125"}, Expected{156, "12 dB", "120"},
              Expected{157, "8.13 Mbps", "8128000"}, Expected{158, "31.5 dB", "315"},
              Expected{159, "19.8 dBm", "198"}, Expected{160, "6.1 dB", "61"}})
            expect(e);
        // The 64-bit counters answered, so the WAN data cells show them.
        QCOMPARE(w.cell(151)->String1(), Latin1(mib::SystemMIB[9].Label));
        QCOMPARE(w.cell(151)->toolTip(), Latin1(mib::SystemMIB[9].Hint));
        const QRegularExpression octets(rawData ? QStringLiteral("^\\d{10,}$")
                                                : QStringLiteral("^\\d+(\\.\\d+)? GB$"));
        for (int n : {146, 147, 151, 152})
            QVERIFY2(octets.match(w.cell(n)->String2()).hasMatch(),
                     qPrintable(w.cell(n)->String2()));

        // Interfaces, Ethernet view: the LAN port is ifIndex 2.
        QVERIFY(!w.cell(110)->isHidden());
        for (int i : {2, 9, 10, 11, 12, 13, 15, 16, 17, 18, 19})
            QCOMPARE(w.cell(93 + i)->String2(), value(mib::IfMIB[i].OID, "2"));
        for (const Expected& e :
             {Expected{93, "eth0", "eth0"}, Expected{94, "ethernet-csmacd(6)", "6"},
              Expected{96, "100 Mbps", "100000000"}, Expected{98, "up(1)", "1"},
              Expected{99, "up(1)", "1"}})
            expect(e);
        QCOMPARE(w.cell(97)->String2(), rawData ? QString::fromLatin1("\x00\x0a\x05\x0c\x01\x0e", 6)
                                                : QStringLiteral("00:0A:05:0C:01:0E"));

        // ADSL-Line, modem end: labels of the exchange table, values of the modem's.
        for (int i : {0, 1, 2, 11})
            QCOMPARE(w.cell(113 + i)->String2(), value(mib::AturMIB[i].OID, "3"));
        for (const Expected& e :
             {Expected{116, "12 dB", "120"}, Expected{117, "17.8 dB", "178"},
              Expected{119, "12.5 dBm", "125"}, Expected{120, "1.02 Mbps", "1024000"},
              Expected{121, "8 ms", "8"}, Expected{122, "448 Kbps", "448000"},
              Expected{123, "384 Kbps", "384000"}})
            expect(e);
        QCOMPARE(w.cell(118)->String2(),
                 rawData ? QString(QChar(0x80)) : QStringLiteral(" noDefect "));
        QCOMPARE(w.cell(118)->width(), 260);

        // Tables: none chosen yet.
        QVERIFY(w.memoLines().isEmpty());
        QVERIFY(w.text("Label12").isEmpty());
    }

    void viewButtonsAreRadioGroups() {
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
        for (int n : {110, 111, 112})
            QVERIFY(w.cell(n)->isHidden());
        QCOMPARE(w.cell(93)->String2(), QStringLiteral("atm0")); // found past ifNumber
        QCOMPARE(w.cell(106)->String2(), QStringLiteral("enabled(1)"));
        QCOMPARE(w.cell(108)->String2(), QStringLiteral("false(2)"));
        // The selected view again: no fetch, no refill.
        w.cell(93)->SetString2(QStringLiteral("sentinel"));
        w.click("IntfBtnWANX");
        QCOMPARE(w.cell(93)->String2(), QStringLiteral("sentinel"));
        w.click("IntfBtnWAN");
        QCOMPARE(down(intf), QStringLiteral("0100"));
        QCOMPARE(w.text("Label11"), QStringLiteral("WAN Uplink"));
        for (int n : {110, 111, 112})
            QVERIFY(!w.cell(n)->isHidden());
        QCOMPARE(w.cell(93)->String2(), QStringLiteral("ppp0"));
        QCOMPARE(w.cell(94)->String2(), QStringLiteral("ppp(23)"));

        const auto adsl = {"ADSLBtnUpStream", "ADSLBtnDownStream"};
        w.click("ADSLBtnDownStream");
        QCOMPARE(down(adsl), QStringLiteral("01"));
        QCOMPARE(w.text("Label15"), QStringLiteral("DownStream(ATU-C)"));
        QCOMPARE(w.cell(113)->String1(), QStringLiteral("InvSerialNumber"));
        QCOMPARE(w.cell(113)->String2(), QStringLiteral("DSLAM-7731-A14"));
        QCOMPARE(w.cell(116)->String2(), QStringLiteral("6.1 dB"));
        QCOMPARE(w.cell(122)->String2(), QStringLiteral("8.13 Mbps"));
        QVERIFY(w.cell(118)->String2().contains(QStringLiteral("lossOfSigQuality")));
        QCOMPARE(w.cell(118)->width(), 552); // a defect is listed across both columns
        w.cell(116)->SetString2(QStringLiteral("sentinel"));
        w.click("ADSLBtnDownStream");
        QCOMPARE(w.cell(116)->String2(), QStringLiteral("sentinel"));
        w.click("ADSLBtnUpStream");
        QCOMPARE(down(adsl), QStringLiteral("10"));
        QCOMPARE(w.text("Label15"), QStringLiteral("UpStream(ATU-R)"));
        QCOMPARE(w.cell(118)->width(), 260);

        const auto tables = {"TableBtnAddr", "TableBtnRoute", "TableBtnMedia", "TableBtnConn",
                             "TableBtnUDP"};
        QCOMPARE(down(tables), QStringLiteral("00000"));
        w.click("TableBtnAddr");
        QCOMPARE(down(tables), QStringLiteral("10000"));
        QCOMPARE(w.text("Label12"), QStringLiteral("ipAddressTable"));
        const QStringList lines = w.memoLines();
        QCOMPARE(lines.size(), 3 * 6);
        // Each row's interface by its own index: 1 is br0, 4 ppp0, 6 no interface at all.
        QVERIFY(lines.contains(QStringLiteral("ipAdEntIfIndex\t\tbr0(1)")));
        QVERIFY(lines.contains(QStringLiteral("ipAdEntIfIndex\t\tppp0(4)")));
        QVERIFY(lines.contains(QStringLiteral("ipAdEntIfIndex\t\t(6)")));
        QCOMPARE(lines[5], QString(60, QLatin1Char('-')));
        w.find<QPlainTextEdit>("Memo2")->setPlainText(QStringLiteral("sentinel"));
        w.click("TableBtnAddr");
        QCOMPARE(w.memoLines(), QStringList{QStringLiteral("sentinel")});
        w.click("TableBtnRefresh");
        QCOMPARE(w.memoLines(), lines);
        w.click("TableBtnConn");
        QCOMPARE(down(tables), QStringLiteral("00010"));
        QVERIFY(w.memoLines().contains(QStringLiteral("tcpConnState\t\testablished(5)")));
    }

    void connectToAbsentRouterHidesValues() {
        WriteProfile(address());
        Window w;
        QCOMPARE(w.cell(61)->String2(), value("7.1.0"));
        SilentUdpPort silent;
        auto* edit1 = w.find<QLineEdit>("Edit1");
        edit1->setText(QString::fromStdString(silent.Address()));
        w.click("OptionsBtnConnect");
        QCOMPARE(w.form->settings().IPAddress, QString::fromStdString(silent.Address()));
        QVERIFY(w.text("StaticText5").startsWith(QStringLiteral("Cannot communicate")));
        QCOMPARE(w.sounds.Count(core::Sound::Error), 1);
        // The values fetched before stay in memory but no cell shows them.
        QCOMPARE(w.form->statistics().UdpValues[0], value("7.1.0").toStdString());
        for (int n : {1, 47, 61, 93, 113, 129, 153})
            QVERIFY2(w.cell(n)->String2().isEmpty(), QByteArray::number(n).constData());
        QCOMPARE(w.cell(61)->String1(), QStringLiteral("InDatagrams"));
        w.form->Timer1Timer(); // a tick does not bring them back
        QVERIFY(w.cell(153)->String2().isEmpty());

        edit1->setText(address());
        w.click("OptionsBtnConnect");
        QCOMPARE(w.text("StaticText5"), value("1.1.0"));
        QCOMPARE(w.cell(61)->String2(), value("7.1.0"));
        QCOMPARE(w.sounds.Count(core::Sound::Information), 2);
    }

    void saveTableWritesTheView() {
        WriteProfile(address());
        Window w;
        QList<app::SaveDialog::Request> requests;
        std::optional<QString> answer;
        QString pickFilter;
        w.dialog.SetAnswerer([&](const app::SaveDialog::Request& request, QString& filter) {
            requests.append(request);
            if (!pickFilter.isEmpty()) filter = pickFilter;
            return answer;
        });
        w.click("TableBtnSave"); // no table chosen: no dialog
        QCOMPARE(w.dialog.TimesShown(), 0);

        w.click("TableBtnRoute");
        answer = dir_.filePath(QStringLiteral("routes")); // no suffix: ".txt" is added
        w.click("TableBtnSave");
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].title,
                 QStringLiteral("Please choose filename and path for Table file"));
        QCOMPARE(requests[0].fileName, QStringLiteral("ipRouteTable"));
        QCOMPARE(requests[0].filters, (QStringList{QStringLiteral("Text Files (*.txt)"),
                                                   QStringLiteral("BMP Files (*.bmp)"),
                                                   QStringLiteral("All Files (*)")}));
        QCOMPARE(requests[0].selectedFilter, QStringLiteral("Text Files (*.txt)"));
        QFile saved(dir_.filePath(QStringLiteral("routes.txt")));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QCOMPARE(bytes,
                 (w.memoLines().join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1());
        QVERIFY(bytes.contains("ipRouteType\t\tindirect(4)\r\nipRouteProto\t\tlocal(2)\r\n"));

        // The filter picked stays picked; Cancel writes nothing; a file that cannot be written
        // is reported, not passed over.
        pickFilter = QStringLiteral("All Files (*)");
        answer.reset();
        w.click("TableBtnSave");
        pickFilter.clear();
        answer = dir_.filePath(QStringLiteral("no-such-dir/routes.txt"));
        w.click("TableBtnSave");
        QCOMPARE(requests.size(), 3);
        QCOMPARE(requests[2].selectedFilter, QStringLiteral("All Files (*)"));
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

    void refreshTimerUpdatesGeneralPageOnly() {
        WriteProfile(address(),
                     {{QStringLiteral("RefreshInt"), 1}, {QStringLiteral("RawData"), 1}});
        Window w;
        QVERIFY(w.form->Timer1()->isActive());
        QCOMPARE(w.form->Timer1()->interval(), 1000);
        auto* edit = w.find<QLineEdit>("Edit3");
        edit->setText(QStringLiteral("being typed"));
        // The LAN octet counter grows every second, so the next tick shows a new value.
        const QString before = w.cell(146)->String2();
        w.cell(61)->SetString2(QStringLiteral("sentinel")); // another page: left alone
        QTRY_VERIFY_WITH_TIMEOUT(w.cell(146)->String2() != before, 5000);
        QCOMPARE(edit->text(), QStringLiteral("being typed"));
        QCOMPARE(w.cell(61)->String2(), QStringLiteral("sentinel"));
    }

    void timerFollowsRefreshInt_data() {
        QTest::addColumn<int>("refreshInt");
        QTest::addColumn<int>("interval"); // 0: stopped
        QTest::newRow("off") << 0 << 0;
        QTest::newRow("one second") << 1 << 1000;
        QTest::newRow("ten minutes") << 600 << 600000;
        QTest::newRow("stored beyond the page's range") << 1000 << 1000000;
        QTest::newRow("too long for a timer") << 100000000 << 2147483000;
        QTest::newRow("negative") << -5 << 0;
    }

    void timerFollowsRefreshInt() {
        QFETCH(int, refreshInt);
        QFETCH(int, interval);
        SilentUdpPort silent;
        WriteProfile(QString::fromStdString(silent.Address()),
                     {{QStringLiteral("RefreshInt"), refreshInt}});
        Window w;
        QCOMPARE(w.form->Timer1()->isActive(), interval != 0);
        if (interval != 0) QCOMPARE(w.form->Timer1()->interval(), interval);
    }

    void optionsPage() {
        SilentUdpPort silent;
        WriteProfile(QString::fromStdString(silent.Address()));
        Window w;
        // A toggle is down while its setting is off; at first start these four are on.
        const QSet<QString> on{
            QStringLiteral("OptionsBtnCntText"), QStringLiteral("OptionsBtnConBeep"),
            QStringLiteral("OptionsBtnSLRemError"), QStringLiteral("OptionsBtnSLFileDate")};
        const QList<tRollOverBtn*> toggles =
            w.form->Page(app::OptionsPageIndex)
                ->findChildren<tRollOverBtn*>(
                    QRegularExpression(QStringLiteral("^OptionsBtn(?!Connect|SysLogFile)")));
        QCOMPARE(toggles.size(), 12);
        for (tRollOverBtn* toggle : toggles)
            QCOMPARE(toggle->ButtonDown(), !on.contains(toggle->objectName()));
        QCOMPARE(w.find<QLineEdit>("Edit1")->text(), QString::fromStdString(silent.Address()));

        // Centring off re-aligns every cell at once.
        w.click("OptionsBtnCntText");
        QVERIFY(!w.form->settings().CntText);
        QCOMPARE(w.cell(30)->Alignment1(), Alignment::Right);
        QCOMPARE(w.cell(150)->Alignment2(), Alignment::Left);

        auto* edit6 = w.find<QLineEdit>("Edit6");
        edit6->clear();
        QTest::keyClicks(edit6, QStringLiteral("9x9-9"));
        QCOMPARE(edit6->text(), QStringLiteral("999"));
        emit edit6->editingFinished();
        QCOMPARE(edit6->text(), QStringLiteral("600"));
        QCOMPARE(w.form->settings().RefreshInt, 600);
        QCOMPARE(w.form->Timer1()->interval(), 600000);
        edit6->clear();
        emit edit6->editingFinished();
        QCOMPARE(edit6->text(), QStringLiteral("0"));
        QVERIFY(!w.form->Timer1()->isActive());

        // Autostart on and off again leaves no entry behind.
        const QString autostart = core::SettingsStore::AutostartPath();
        w.click("OptionsBtnAutoRun");
        QVERIFY(w.form->settings().AutoRun);
        QVERIFY(QFile::exists(autostart));
        w.click("OptionsBtnAutoRun");
        QVERIFY(!w.form->settings().AutoRun);
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

        // The syslog file is chosen with the shared dialog; Cancel keeps the old name.
        QList<app::SaveDialog::Request> requests;
        std::optional<QString> answer = QStringLiteral("/tmp/router-log");
        w.dialog.SetAnswerer([&](const app::SaveDialog::Request& request, QString&) {
            requests.append(request);
            return answer;
        });
        w.click("OptionsBtnSysLogFile");
        QCOMPARE(requests.at(0).title,
                 QStringLiteral("Please choose filename and path for SysLog file"));
        QCOMPARE(requests.at(0).fileName, QStringLiteral("SysLog"));
        QCOMPARE(w.form->settings().SLFileName, QStringLiteral("/tmp/router-log.txt"));
        answer.reset();
        w.click("OptionsBtnSysLogFile");
        QCOMPARE(w.form->settings().SLFileName, QStringLiteral("/tmp/router-log.txt"));
    }

    void startMinimisedAndReportedErrors() {
        SilentUdpPort silent;
        WriteProfile(QString::fromStdString(silent.Address()),
                     {{QStringLiteral("StartTray"), 1}, {QStringLiteral("MinTray"), 1}});
        Window w;
        QVERIFY(w.form->windowState() & Qt::WindowMinimized);
        // With no tray icon to bring it back, the window is not hidden.
        QVERIFY(w.form->ShowOnStart());

        // Values the core could not format reach the user as one box per fetch, each message
        // once.
        w.form->statistics().Errors = {"'x' is not a valid floating point value",
                                       "'x' is not a valid floating point value", "second"};
        w.form->Timer1Timer();
        QCOMPARE(w.messages.errors,
                 QStringList{QStringLiteral("'x' is not a valid floating point value\nsecond")});
        QVERIFY(w.form->statistics().Errors.empty());
        w.form->Timer1Timer();
        QCOMPARE(w.messages.errors.size(), 1);
        // The timer reports a failure once, not on every tick; a new one is reported.
        for (int tick = 0; tick < 2; ++tick) {
            w.form->statistics().Errors = {"third"};
            w.form->Timer1Timer();
        }
        w.form->statistics().Errors = {"fourth"};
        w.form->Timer1Timer();
        w.form->Timer1Timer(); // a clean tick: the same failure afterwards is news again
        w.form->statistics().Errors = {"fourth"};
        w.form->Timer1Timer();
        QCOMPARE(w.messages.errors.mid(1),
                 (QStringList{QStringLiteral("third"), QStringLiteral("fourth"),
                              QStringLiteral("fourth")}));

        // Cells carry their hints.
        tRazCell* cell = w.cell(1);
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), cell->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(cell, &help);
        QTRY_VERIFY(QToolTip::isVisible());
        QCOMPARE(QToolTip::text(), Latin1(mib::IpMIB[0].Hint));
        QToolTip::hideText();
    }

    void closeSavesPlacement() {
        SilentUdpPort silent;
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
        QCOMPARE(store.allKeys().size(), 32);
    }

    void lostRouterCostsOneTimeoutAndConnectRestoresIt() {
        UdpRelay relay(router_.Address());
        const QString at = QString::fromStdString(relay.Address());
        WriteProfile(at, {{QStringLiteral("RefreshInt"), 1}});
        {
            // A router that answers the identity check and then nothing: the failure state
            // after one timeout and the probe.
            relay.AnswerOnly(2);
            Window w;
            QCOMPARE(relay.Requests(), 4);
            QVERIFY(w.text("StaticText5").startsWith(QStringLiteral("Cannot communicate")));
            QVERIFY(w.cell(129)->String2().isEmpty());
            relay.AnswerOnly(-1);
        }
        Window w;
        QCOMPARE(w.cell(129)->String2(), QStringLiteral("end-to-end + applications"));
        const QString identity = w.text("StaticText5");
        const int sent = relay.Requests();
        relay.Silence(true);
        QTRY_VERIFY_WITH_TIMEOUT(!w.form->query().RouterPresent, 8000);
        QTest::qWait(2500);                   // more ticks: they send nothing
        QCOMPARE(relay.Requests() - sent, 2); // one read and its probe
        QCOMPARE(w.text("StaticText5"),
                 QStringLiteral("Cannot communicate with Corvane router at ") + at +
                     QStringLiteral("\nplease check router IP address and community in options"));
        QCOMPARE(w.sounds.Count(core::Sound::Error), 1);
        for (int n : {129, 143, 145, 66})
            QVERIFY2(w.cell(n)->String2().isEmpty(), qPrintable(QString::number(n)));
        QVERIFY(w.text("StaticText7").isEmpty());
        QVERIFY(w.find<QLineEdit>("Edit3")->text().isEmpty());
        QVERIFY(w.messages.errors.isEmpty());
        w.click("MenuBtnIP");
        w.click("IPBtnRefresh");
        QCOMPARE(relay.Requests() - sent, 2);

        relay.Silence(false);
        w.click("OptionsBtnConnect");
        QCOMPARE(w.text("StaticText5"), identity);
        QCOMPARE(w.cell(129)->String2(), QStringLiteral("end-to-end + applications"));
        QVERIFY(!w.cell(66)->String2().isEmpty());
        QVERIFY(!w.find<QLineEdit>("Edit3")->text().isEmpty());

        // Another address typed and left without Connect ends the session with this router.
        SilentUdpPort other;
        auto* address = w.find<QLineEdit>("Edit1");
        address->setText(QString::fromStdString(other.Address()));
        w.form->Edit1Exit();
        QVERIFY(!w.form->query().RouterPresent);
        QVERIFY(w.text("StaticText5").contains(QStringLiteral("Connect To Router")));
        QVERIFY(w.cell(129)->String2().isEmpty());
        w.click("SystemBtnSet1");
        QTest::qWait(1500);
        QCOMPARE(other.Received(), 0);
    }

    // Last: it changes the simulated router's contact, and puts it back.
    void setButtonsShowWhatTheRouterReadsBack() {
        WriteProfile(address());
        Window w;
        auto* contact = w.find<QLineEdit>("Edit3");
        const QString original = contact->text();
        contact->setText(QStringLiteral("lab@example.org"));
        w.click("SystemBtnSet1");
        QCOMPARE(contact->text(), QStringLiteral("lab@example.org"));
        std::string held;
        QVERIFY(snmp::SNMPGetValue("1.3.6.1.2.1.1.4.0", "public", router_.Address(), held));
        QCOMPARE(QString::fromStdString(held), QStringLiteral("lab@example.org"));
        w.find<QLineEdit>("Edit5")->setText(QStringLiteral("Loft"));
        w.click("SystemBtnSet3");
        QVERIFY(snmp::SNMPGetValue("1.3.6.1.2.1.1.6.0", "public", router_.Address(), held));
        QCOMPARE(QString::fromStdString(held), QStringLiteral("Loft"));
        // A Set does not touch the values on show elsewhere.
        QCOMPARE(w.cell(129)->String2(), QStringLiteral("end-to-end + applications"));

        contact->setText(original);
        w.click("SystemBtnSet1");
        w.find<QLineEdit>("Edit5")->setText(QStringLiteral("Wiring cupboard"));
        w.click("SystemBtnSet3");
        QVERIFY(snmp::SNMPGetValue("1.3.6.1.2.1.1.4.0", "public", router_.Address(), held));
        QCOMPARE(QString::fromStdString(held), original);
    }

    void cleanupTestCase() { router_.Stop(); }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
