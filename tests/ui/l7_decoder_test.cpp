#include "descriptions/cfg_list.h"
#include "ui/control_strip.h"
#include "ui/file_chooser.h"
#include "ui/l7_decoder.h"
#include "ui/language_dialog.h"
#include "ui/main_window.h"
#include "ui/telegram_list_view.h"
#include "ui/test_host.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace protmon;

namespace {

const QString kData = QStringLiteral(PROTMON_TEST_DATA);

// Answers every file dialog at once and remembers where each one started.
class TTestChooser : public TFileChooser {
public:
    std::string SaveFileName(const std::string& folder, const std::string&) override {
        folders << QString::fromStdString(folder);
        return {};
    }
    std::string OpenFileName(const std::string& folder) override {
        folders << QString::fromStdString(folder);
        return {};
    }
    std::string OpenParameterFileName(const std::string& folder) override {
        folders << QString::fromStdString(folder);
        ++parameterDialogs;
        return parameterFile.toStdString();
    }
    QString parameterFile;
    QStringList folders;
    int parameterDialogs = 0;
};

// Read value requests (service 0) of the given parameter addresses.
void AddReadRequests(TMyMonitor& w, std::initializer_list<std::uint16_t> addresses) {
    std::vector<TTelEntry> entries;
    for (const std::uint16_t a : addresses) {
        TTelEntry& e = entries.emplace_back();
        e.Data[0] = 0x02;
        e.Data[1] = 0x00;
        e.Data[2] = static_cast<std::uint8_t>(a >> 8);
        e.Data[3] = static_cast<std::uint8_t>(a);
        e.Data[4] = 0x01;
        e.Data[5] = e.Data[0] ^ e.Data[1] ^ e.Data[2] ^ e.Data[3] ^ e.Data[4];
    }
    w.Session().SetVisibleRows(10);
    w.Session().AddEntries(entries);
}

QString Additional(TMyMonitor& w, int row) {
    return w.ListView()->model()->index(row, 3).data().toString();
}

} // namespace

class L7DecoderTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TMyMonitor> w;
    TTestHost host;
    std::unique_ptr<TTestChooser> chooser_;
    TTestChooser& chooser() { return *chooser_; }
    std::unique_ptr<QTemporaryDir> dir;
    // The language dialog's answer and what the text field held when it was asked.
    int answer = QDialog::Accepted;
    QString choice;
    int languageDialogs = 0;

    QAction* Item() { return w->findChild<QAction*>(QStringLiteral("MenuL7decoder")); }
    const TDecoderSets& L7() { return w->Session().Decoder(); }
    // Where the file dialog starts; the decimal separator stays.
    void SetPlaces(const std::string& binPath, const std::string& defaultFolder) {
        w->Session().SetDecoderPlaces(binPath, defaultFolder, L7().DecimalSeparator);
    }
    // The "L7 decoder" command choosing `file` and, in the language dialog, `language`.
    void Choose(const QString& file, const QString& language, int result = QDialog::Accepted) {
        chooser().parameterFile = file;
        choice = language;
        answer = result;
        Item()->trigger();
    }
    QString Copy(const QString& from, const QString& name) {
        const QString to = dir->filePath(name);
        QFile::remove(to);
        if (!QFile::copy(from, to))
            qFatal("cannot copy %s", qPrintable(from));
        return to;
    }

private slots:
    void init() {
        host = TTestHost{};
        chooser_ = std::make_unique<TTestChooser>();
        dir = std::make_unique<QTemporaryDir>();
        w = std::make_unique<TMyMonitor>();
        w->SetHost(&host);
        w->SetFileChooser(chooser_.get());
        SetPlaces({}, {});
        languageDialogs = 0;
        chooser().ExecLanguageDialog = [this](TFrmSellng& d) {
            ++languageDialogs;
            if (!choice.isEmpty())
                d.ComboBox1->setEditText(choice);
            return answer;
        };
    }
    void cleanup() { w.reset(); }

    void StartsOff() {
        QVERIFY(Item()->isCheckable());
        QVERIFY(!Item()->isChecked());
        QCOMPARE(L7().DecoderSetIndex(), -1);
        QCOMPARE(w->Strip()->Label1->text(), QString());
        QCOMPARE(L7().CfgList().Count(), 0);
    }

    void GermanNamesThenOffFreesTheSet() {
        AddReadRequests(*w, {0x0080, 0x7000});
        QCOMPARE(Additional(*w, 0), QStringLiteral("Value of address:128 Set:0"));
        const QString para = Copy(kData + "/Para0001.bin", "Para0001.bin");
        Copy(kData + "/LNG0001d.add", "LNG0001d.add");
        Choose(para, QStringLiteral("d : German"));
        QVERIFY(Item()->isChecked());
        QCOMPARE(L7().DecoderSetIndex(), 0);
        QCOMPARE(w->Strip()->Label1->text(), para);
        // The rows are redrawn with the names; an unknown address stays plain.
        QCOMPARE(Additional(*w, 0),
                 QStringLiteral("Value of address:128 Set:0 [r000 Ausgangsfrequenz]"));
        QCOMPARE(Additional(*w, 1), QStringLiteral("Value of address:28672 Set:0"));

        Item()->trigger();
        QVERIFY(!Item()->isChecked());
        QCOMPARE(L7().DecoderSetIndex(), -1);
        QCOMPARE(L7().CfgList().Count(), 0);
        QCOMPARE(w->Strip()->Label1->text(), QString());
        QCOMPARE(Additional(*w, 0), QStringLiteral("Value of address:128 Set:0"));
        QCOMPARE(chooser().parameterDialogs, 1); // switching off asks nothing
    }

    void LanguageFileNameRule_data() {
        QTest::addColumn<QString>("descriptionName");
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("languageFile");
        QTest::newRow("Para names") << "Para0001.bin"
                                    << "d : German"
                                    << "LNG0001d.add";
        QTest::newRow("typed letter") << "Para0001.bin"
                                      << "x"
                                      << "LNG0001x.add";
        QTest::newRow("short name") << "P.bin"
                                    << "a : American"
                                    << "LNGna.add";
        QTest::newRow("long name") << "Parameters.bin"
                                   << "f : French"
                                   << "LNGmetef.add";
    }
    void LanguageFileNameRule() {
        QFETCH(QString, descriptionName);
        QFETCH(QString, language);
        QFETCH(QString, languageFile);
        // The German file under the name the rule gives: German names prove it was found.
        const QString para = Copy(kData + "/Para0001.bin", descriptionName);
        Copy(kData + "/LNG0001d.add", languageFile);
        AddReadRequests(*w, {0x0080});
        Choose(para, language);
        QVERIFY(Additional(*w, 0).endsWith(QStringLiteral("[r000 Ausgangsfrequenz]")));
        QVERIFY(QFile::remove(dir->filePath(languageFile)));
        // Without it the description file's own names stay; nothing is reported.
        Item()->trigger();
        Choose(para, language);
        QVERIFY(Additional(*w, 0).endsWith(QStringLiteral("[r000 Output frequency]")));
        QVERIFY(host.infos.empty() && host.errors.empty());
    }

    void EnglishOnlyKeepsTheDescriptionFilesNames() {
        const QString para = Copy(kData + "/Para0001.bin", "Para0001.bin");
        Copy(kData + "/LNG0001d.add", "LNG0001d.add");
        AddReadRequests(*w, {0x0080});
        Choose(para, QStringLiteral("d : German"), QDialog::Rejected);
        QVERIFY(Item()->isChecked());
        QCOMPARE(languageDialogs, 1);
        QVERIFY(Additional(*w, 0).endsWith(QStringLiteral("[r000 Output frequency]")));
    }

    void RussianNamesShownInTheirCodePage() {
        const QString para = Copy(kData + "/Para0001.bin", "Para0001.bin");
        Copy(kData + "/LNG0001r.add", "LNG0001r.add");
        AddReadRequests(*w, {0x0080});
        Choose(para, QStringLiteral("r : Russian"));
        QCOMPARE(w->ListView()->RowModel()->CodePage(), CodePage::Cp1251);
        QVERIFY(Additional(*w, 0).endsWith(QStringLiteral("[r000 Выходная частота]")));
        Item()->trigger();
        QCOMPARE(w->ListView()->RowModel()->CodePage(), CodePage::Latin1);
    }

    void FailedLoadStaysCheckedAndAsksAgain() {
        // A language file is no description file.
        const QString wrong = Copy(kData + "/LNG0001d.add", "Para0001.bin");
        Choose(wrong, QStringLiteral("d : German"));
        QVERIFY(Item()->isChecked());
        QCOMPARE(L7().DecoderSetIndex(), -1);
        QCOMPARE(w->Strip()->Label1->text(), wrong);
        QCOMPARE(L7().CfgList().Count(), 0);
        QVERIFY(host.infos.empty() && host.errors.empty());
        // The next command chooses again instead of switching off.
        const QString para = Copy(kData + "/Para0001.bin", "Para0002.bin");
        Choose(para, QStringLiteral("d : German"), QDialog::Rejected);
        QCOMPARE(chooser().parameterDialogs, 2);
        QVERIFY(Item()->isChecked());
        QCOMPARE(L7().DecoderSetIndex(), 0);
        QCOMPARE(w->Strip()->Label1->text(), para);
        // A missing file fails the same way.
        Item()->trigger();
        Choose(dir->filePath("gone.bin"), QString());
        QVERIFY(Item()->isChecked());
        QCOMPARE(L7().DecoderSetIndex(), -1);
    }

    void CancelledFileDialogChangesNothing() {
        Choose(QString(), QString());
        QVERIFY(!Item()->isChecked());
        QCOMPARE(languageDialogs, 0);
        const QString para = Copy(kData + "/Para0001.bin", "Para0001.bin");
        Choose(para, QString());
        QCOMPARE(chooser().parameterDialogs, 2);
        // While on, the command switches off without a dialog; a cancelled one then keeps it off.
        Item()->trigger();
        QVERIFY(!Item()->isChecked());
        QCOMPARE(chooser().parameterDialogs, 2);
        Choose(QString(), QString());
        QVERIFY(!Item()->isChecked());
        QCOMPARE(L7().CfgList().Count(), 0);
    }

    void DialogStartsInBinPathAndLeavesTheMonitorFileFolder() {
        const QString monitorFolder = QDir::currentPath();
        SetPlaces(dir->path().toStdString(), {});
        Choose(QString(), QString());
        QCOMPARE(chooser().folders.last(), dir->path());
        // BinPath wins over the sample folder; without both, the monitor-file folder is used.
        SetPlaces(dir->path().toStdString(), kData.toStdString());
        Choose(QString(), QString());
        QCOMPARE(chooser().folders.last(), dir->path());
        SetPlaces({}, kData.toStdString());
        Choose(QString(), QString());
        QCOMPARE(chooser().folders.last(), kData);
        SetPlaces({}, {});
        Choose(QString(), QString());
        QCOMPARE(chooser().folders.last(), monitorFolder);
        // "Read" still starts where it did before.
        w->MenuReadClick();
        QCOMPARE(chooser().folders.last(), monitorFolder);
    }

    void NoSecondLoadDuringALoad() {
        const QString para = Copy(kData + "/Para0001.bin", "Para0001.bin");
        // The command again while the first load lets events run: refused.
        bool sawLoading = false;
        QTimer::singleShot(0, w.get(), [this, &sawLoading] {
            sawLoading = L7().Loading();
            w->MenuL7decoderClick();
        });
        Choose(para, QString());
        QVERIFY(sawLoading);
        QCOMPARE(chooser().parameterDialogs, 1);
        QCOMPARE(L7().CfgList().Count(), 1);
        QVERIFY(Item()->isChecked());
    }

    void RealFileDialogOffersParameterFiles() {
        // The shared dialog itself, answered by a timer: filter, folder and file name.
        QString filter, folder;
        QStringList filters;
        QTimer timer;
        timer.setInterval(10);
        connect(&timer, &QTimer::timeout, [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (d == nullptr)
                return;
            filter = d->selectedNameFilter();
            filters = d->nameFilters();
            folder = d->directory().absolutePath();
            d->reject();
        });
        timer.start();
        TFileChooser real;
        QCOMPARE(real.OpenParameterFileName(kData.toStdString()), std::string());
        timer.stop();
        QCOMPARE(filter, QStringLiteral("Parameter files (Para*.bin)"));
        QCOMPARE(filters.size(), 2);
        QCOMPARE(folder, QDir(kData).absolutePath());
    }

    void DecodeContextGetsSetAndSeparator() {
        TDecodeContext ctx;
        L7().ApplyTo(ctx);
        QCOMPARE(ctx.DecoderSet, nullptr);
        Choose(Copy(kData + "/Para0001.bin", "Para0001.bin"), QString());
        w->Session().SetDecoderPlaces(L7().BinPath, L7().DefaultFolder, ',');
        L7().ApplyTo(ctx);
        QCOMPARE(ctx.DecoderSet, L7().CfgList().GetCfg(0));
        QCOMPARE(ctx.DecimalSeparator, ',');
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(TL7Decoder::SystemDecimalSeparator(), ',');
        QLocale::setDefault(QLocale::c());
        QCOMPARE(TL7Decoder::SystemDecimalSeparator(), '.');
    }

    void BinPathFromTheSettings() {
        // main() points the settings at an empty folder of its own.
        const QString file = qEnvironmentVariable("XDG_CONFIG_HOME") + "/ZIZ/Zentraxo5.conf";
        QVERIFY(!QFile::exists(file));
        QCOMPARE(TL7Decoder::ReadBinPath(), QString());
        QVERIFY2(!QFile::exists(file), "reading created the settings file");
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        const QByteArray text = "[Appl]\nBinPath=" + dir->path().toUtf8() + "\nOther=1\n";
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(text);
        }
        QCOMPARE(TL7Decoder::ReadBinPath(), dir->path());
        TMyMonitor other;
        QCOMPARE(QString::fromStdString(other.Session().Decoder().BinPath), dir->path());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), text);
    }
};

class LanguageDialogTest : public QObject {
    Q_OBJECT

private slots:
    void ItemsAndStart() {
        TFrmSellng d;
        QCOMPARE(d.windowTitle(), QStringLiteral("L7-Decoder language"));
        QCOMPARE(d.size(), QSize(331, 149));
        QStringList items;
        for (int i = 0; i < d.ComboBox1->count(); ++i)
            items << d.ComboBox1->itemText(i);
        QCOMPARE(items, (QStringList{"a : American", "d : German", "f : French", "i : Italian",
                                     "r : Russian", "s : Spanish"}));
        QCOMPARE(d.ComboBox1->currentIndex(), 1);
        QVERIFY(d.ComboBox1->isEditable());
        QCOMPARE(d.LanguageLetter(), 'd');
        QCOMPARE(d.BitBtn2->text(), QStringLiteral("OK"));
        QCOMPARE(d.BitBtn1->text(), QStringLiteral("English only"));
    }

    void LetterOfTheTextField() {
        TFrmSellng d;
        const std::pair<const char*, char> cases[] = {
            {"r : Russian", 'r'}, {"x", 'x'}, {"", '\0'}, {" d", '\0'}, {"/etc", '\0'},
        };
        for (const auto& [text, letter] : cases) {
            d.ComboBox1->setEditText(QString::fromLatin1(text));
            QCOMPARE(d.LanguageLetter(), letter);
        }
        d.ComboBox1->setEditText(QStringLiteral("ü"));
        QCOMPARE(d.LanguageLetter(), '\0');
    }

    void KeysAndButtons_data() {
        QTest::addColumn<int>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("Enter") << 0 << int(QDialog::Accepted);
        QTest::newRow("Escape") << 1 << int(QDialog::Rejected);
        QTest::newRow("OK") << 2 << int(QDialog::Accepted);
        QTest::newRow("English only") << 3 << int(QDialog::Rejected);
        QTest::newRow("window closed") << 4 << int(QDialog::Rejected);
    }
    void KeysAndButtons() {
        QFETCH(int, how);
        QFETCH(int, result);
        TFrmSellng d;
        d.open();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.ComboBox1->setFocus();
        switch (how) {
        case 0:
            QTest::keyClick(d.ComboBox1, Qt::Key_Return);
            break;
        case 1:
            QTest::keyClick(d.ComboBox1, Qt::Key_Escape);
            break;
        case 2:
            QTest::mouseClick(d.BitBtn2, Qt::LeftButton);
            break;
        case 3:
            QTest::mouseClick(d.BitBtn1, Qt::LeftButton);
            break;
        default:
            d.close();
            break;
        }
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), result);
    }

    void KeepsTheLastChoice() {
        TFrmSellng d;
        d.open();
        d.ComboBox1->setCurrentIndex(4);
        QTest::keyClick(d.ComboBox1, Qt::Key_Return);
        d.open();
        QCOMPARE(d.ComboBox1->currentText(), QStringLiteral("r : Russian"));
        QCOMPARE(d.ComboBox1->count(), 6);
        d.ComboBox1->setEditText(QStringLiteral("q"));
        QTest::keyClick(d.ComboBox1, Qt::Key_Return);
        QCOMPARE(d.ComboBox1->count(), 6); // typed text never becomes an item
        QCOMPARE(d.LanguageLetter(), 'q');
    }
};

int main(int argc, char* argv[]) {
    // The user's own settings stay out of the tests.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    int status = 0;
    {
        LanguageDialogTest t;
        status |= QTest::qExec(&t, argc, argv);
    }
    {
        L7DecoderTest t;
        status |= QTest::qExec(&t, argc, argv);
    }
    return status;
}

#include "l7_decoder_test.moc"
