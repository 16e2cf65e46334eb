#include "common/faults.h"
#include "common/tempstore.h"
#include "common/testsupport.h"
#include "pictures/picture.h"
#include "platform/errortrap.h"
#include "platform/numbers.h"
#include "settings/colorsample.h"
#include "settings/commondialog.h"
#include "settings/form1.h"
#include "settings/formvalues.h"
#include "settings/greetingtarget.h"
#include "store/inifile.h"

#include <QTest>
#include <QtWidgets>

namespace {

QString big, small; // pictures larger and smaller than the preview

// Records what the settings window tells the greeting window, in order; a picture it cannot load fails.
struct Fake : GreetingTarget, CommonDialog
{
    QStringList log;
    std::optional<QString> answer; // the person's choice in the next dialog; nothing: cancelled

    void setPicture(const QString &p) override { log << "picture " + p.section(u'/', -1), loadPicture(p, { 1, 1 }); }
    void setPictureStretch(bool on) override { log << QStringLiteral("stretch %1").arg(on); }
    void setTextFontName(const QString &name) override { log << "font " + name; }
    void setTextFontSize(float points) override { log << QStringLiteral("size %1").arg(points); }
    void setTextColor(qint32 color) override { log << QStringLiteral("color %1").arg(color); }
    void centreText() override { log << "centre"; }
    void recomposeText() override { log << "recompose"; }
    std::optional<QString> askFileName(const QString &, const QString &) override { return answer; }
    std::optional<qint32> askColor(qint32) override { return answer ? std::optional(answer->toInt()) : std::nullopt; }
};

// The entries with the changes of the same name ("Name=...") in their place.
QStringList with(QStringList entries, const QStringList &changes)
{
    for (const QString &change : changes)
        for (QString &entry : entries)
            if (entry.section(u'=', 0, 0) == change.section(u'=', 0, 0))
                entry = change;
    return entries;
}

// The store file with every key stored, each value unlike its fallbacks; lines can be replaced ("Long=90").
QByteArray fullIni(const QStringList &changes = {})
{
    const QStringList lines
        = { "PictrureStrench=1", "Pictrure=" + big, "Text=Arial", "Size=13", "Long=30", "Color=1193046", "Date=1",
              "Cas=1", "TextV=1", "Svatky=1", "DateF=d.mm.yyyy", "CasF=hh:mm:ss", "Text1=Ahoj", "Text2=Jméno" };
    return ("[Path]\n" + with(lines, changes).join(u'\n') + u'\n').toUtf8();
}

struct Window
{
    TempStore temp;
    Fake fake {};
    Form1 form { temp.store(), fake, fake };

    // What the load shows, a step an entry named by its control: a check box "-" off, "+" on or "~" greyed,
    // and whether what it governs is on.
    QStringList shown()
    {
        Form1 &f = form;
        const auto mark = [](QCheckBox *box) { return box->objectName() + u'=' + u"-~+"[box->checkState()]; };
        const auto check = [&](QCheckBox *box, QWidget *g) { return mark(box) + (g->isEnabled() ? " on" : " off"); };
        const QSize picture = f.Image1->pixmap().size();
        const bool fits = picture.boundedTo(f.Image1->contentsRect().size() * f.Image1->devicePixelRatioF()) == picture;
        return { mark(f.Check5),
            QStringLiteral("Image1=%1, fits %2").arg(picture.isEmpty() ? "none" : "shown").arg(fits),
            "Combo1=" + f.Combo1->currentText(), "Combo2=" + f.Combo2->currentText(), "Label2=" + f.Label2->text(),
            QStringLiteral("Label6=%1 ").arg(fake.Color) + f.Label6->color().name(), check(f.Check1, f.Combo3),
            check(f.Check2, f.Combo4), check(f.Check3, f.Text1), mark(f.Check4), "Combo3=" + f.Combo3->currentText(),
            "Combo4=" + f.Combo4->currentText(), "Text1=" + f.Text1->toPlainText(), "Text2=" + f.Text2->toPlainText(),
            "title=" + f.windowTitle(),
            QStringLiteral("lists=%1 %2").arg(f.Combo1->count() > 0).arg(f.Combo2->count()) };
    }

    // A row's steps: "OK" clicks the button of that caption; "Return@Combo1" types keys in a control
    // ("@Combo2 text": in its text field, "@focus": where the focus is); "click@Text1" clicks into a text box,
    // holding the button a moment as a hand does; "Combo2=abc" sets a box's text; "answer=..." is the person's
    // choice in the next dialog; "refuse": every later write fails.
    void run(const QStringList &steps)
    {
        for (const QString &step : steps) {
            QCoreApplication::processEvents();
            for (QPushButton *button : form.findChildren<QPushButton *>())
                if (button->text().remove(u'&') == step)
                    button->click();
            const QString at = step.section(u'@', 1), name = step.section(u'=', 0, 0), value = step.section(u'=', 1);
            auto *control = at == u"focus" ? form.focusWidget() : form.findChild<QWidget *>(at.section(u' ', 0, 0));
            if (at.endsWith(u" text"))
                control = control->findChild<QLineEdit *>();
            if (step.startsWith(u"click@")) {
                control = static_cast<QAbstractScrollArea *>(control)->viewport();
                QTest::mousePress(control, Qt::LeftButton, {}, { 8, 5 });
                QTest::mouseRelease(control, Qt::LeftButton, {}, { 8, 5 }, 50);
            } else if (step.contains(u'@')) {
                control->setFocus();
                QTest::keySequence(control, QKeySequence(step.section(u'@', 0, 0)));
            } else if (step == u"refuse") {
                QVERIFY(QFile::remove(temp.filePath()) && QDir().mkpath(temp.filePath()));
            } else if (name == u"answer") {
                fake.answer = value;
            } else if (auto *combo = form.findChild<QComboBox *>(name)) {
                combo->setEditText(value);
            }
        }
    }
};

// The control of a key, as the person sees it (a check box "0", "1" or "2"), set first when asked.
QString control(Form1 &f, Fake &fake, Key key, const std::optional<QString> &set = {})
{
#define CONTROL(name, kind, control, ...) f.control,
    QObject *const controls[] = { ZDRAVINKY_SETTINGS(CONTROL) };
#undef CONTROL
    QObject *c = controls[keyIndex(key)];
    if (auto *box = qobject_cast<QCheckBox *>(c))
        return set  ? box->setChecked(*set == "1"),
               *set : QString::number(box->checkState() == Qt::PartiallyChecked ? 2 : box->isChecked());
    if (auto *combo = qobject_cast<QComboBox *>(c))
        return set ? combo->setEditText(*set), *set : combo->currentText();
    if (auto *bar = qobject_cast<QScrollBar *>(c))
        return set ? bar->setValue(set->toInt()), *set : QString::number(bar->value());
    if (auto *text = qobject_cast<QPlainTextEdit *>(c))
        return set ? text->setPlainText(*set), *set : text->toPlainText();
    if (key == Key::Color)
        return QString::number(set ? fake.Color = set->toInt() : fake.Color);
    return set ? fake.FileName = *set : fake.FileName;
}

// Texts a key may be given: what its control can show, and a few its load fails on.
QStringList choices(Key key, bool loadFails = false)
{
    if (loadFails)
        return key == Key::Long ? QStringList { "90" } : key == Key::Date ? QStringList { "x" } : QStringList {};
    const QMap<Key, QStringList> texts { { Key::Pictrure, { "", small } }, { Key::Text, { "Arial", "Sans" } },
        { Key::Size, { "13", "20" } }, { Key::Long, { "30", "45" } }, { Key::Color, { "65280", "255" } },
        { Key::DateF, { "d.mm.yyyy", "Short date" } }, { Key::CasF, { "hh:mm:ss", "h.mm.ss" } },
        { Key::Text1, { "Ahoj", "", "Svátek: " } }, { Key::Text2, { "Jméno", "" } } };
    return texts.value(key, { "0", "1" });
}

// One opening of the settings window, and what the window must know of the file, by the model.
struct Session
{
    explicit Session(const QString &path)
        : store(path)
    { }

    SettingsStore store;
    Fake fake {};
    Form1 form { store, fake, fake };
    std::array<std::optional<std::optional<QString>>, KeyCount> known; // nothing: not known
    std::array<QString, KeyCount> base; // what the control held when the window loaded or stored it
    std::array<std::optional<QString>, KeyCount> kept;
};

void row(const char *name, const QStringList &ini, const QStringList &steps, const QString &log,
    const QStringList &stored = {})
{
    QTest::newRow(name) << ini << steps << log << stored;
}

} // namespace

class tst_Form1 : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void initTestCase()
    {
        static QTemporaryDir dir;
        big = dir.filePath("velký.png"), small = dir.filePath("malý.bmp");
        QVERIFY(QImage(400, 200, QImage::Format_RGB32).save(big) && QImage(9, 3, QImage::Format_RGB32).save(small));
    }

    // A step that fails leaves the controls of the steps after it as designed.
    void load_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QStringList>("changes"); // from what every key stored shows
        QTest::addColumn<int>("applied"); // keys whose step was done before one failed
        QTest::newRow("every key") << fullIni() << QStringList() << 16;
        QTest::newRow("empty store: fallbacks")
            << QByteArray("[Path]\n")
            << QStringList({ "Check5=-", "Image1=none, fits 1", "Combo1=Monotype Corsiva", "Combo2=24",
                   "Label2=11 sec.", "Label6=255 #ff0000", "Check1=- off", "Check2=- off", "Check3=- off", "Check4=-",
                   "Combo3=Short date", "Combo4=h.mm.ss", "Text1=Zdravinky, dnes je: ", "Text2=Svátek má: " })
            << 16;
        QTest::newRow("odd values") << fullIni({ "Size=abc", "Long=60", "Cas=2.5", "Text2=" })
                                    << QStringList({ "Combo2=abc", "Label2=60 sec.", "Check2=~ off", "Text2=" }) << 16;
        for (const auto &[line, applied] : std::initializer_list<std::pair<const char *, int>> {
                 { "PictrureStrench=3", 0 }, { "Pictrure=chybí.jpg", 1 }, { "Long=90", 4 }, { "Long=1", 4 },
                 { "Long=abc", 4 }, { "Color=red", 5 }, { "Date=x", 6 }, { "Svatky=-1", 9 } })
            QTest::newRow(line) << fullIni({ line }) << QStringList() << applied;
    }

    void load()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QStringList, changes);
        QFETCH(int, applied);
        Window w { TempStore(ini) }, design;
        w.form.Form_Load();
        const QStringList full = { "Check5=+", "Image1=shown, fits 1", "Combo1=Arial", "Combo2=13", "Label2=30 sec.",
            "Label6=1193046 #563412", "Check1=+ on", "Check2=+ on", "Check3=+ on", "Check4=+", "Combo3=d.mm.yyyy",
            "Combo4=hh:mm:ss", "Text1=Ahoj", "Text2=Jméno", "title=Nastavení programu Zdravinky - (Verze: 1.0.26)",
            "lists=1 19" };
        QCOMPARE(w.shown(), with(full, changes).mid(0, applied) + design.shown().mid(applied));
        QCOMPARE(w.temp.fileText(), ini); // loading writes nothing
    }

    // OK and Použít store only keys the load read or the person changed; Storno gives the greeting window its
    // stored look back and writes back the texts the load read. A failing step ends its command.
    void commands_data()
    {
        QTest::addColumn<QStringList>("ini"); // lines of the full store file replaced
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QStringList>("stored"); // lines of the store file changed
        const QString font = "picture velký.png, font Arial", look = font + ", size 13, color 1193046";
        const QString ok = look + ", stretch 1, centre, recompose, closed", storno = look + ", centre, closed";
        const QStringList edits = { "answer=" + small, "Obrázek", "answer=255", "Barva", "Combo1=Sans", "Combo2=20",
            "Space@Check5", "Space@Check4", "Left@Bar1" };
        const QString edited = "picture malý.bmp, font Sans, size 20, color 255, stretch 0";
        row("OK", {}, edits + QStringList({ "OK" }), edited + ", centre, recompose, closed",
            { "PictrureStrench=0", "Pictrure=" + small, "Text=Sans", "Size=20", "Long=29", "Color=255", "Svatky=0" });
        row("Použít", {}, edits + QStringList({ "Použít" }), "recompose, " + edited + ", centre, open", { "Svatky=0" });
        row("Použít, Text2 typed over", {}, { "click@Text2", "X@focus", "Použít" },
            "recompose, " + look + ", stretch 1, centre, open", { "Text2=x" });
        row("OK, store refuses", {}, { "refuse", "OK" }, look + ", stretch 1, closed");
        row("OK, size letters", {}, { "Combo2=abc", "OK" }, font + ", closed");
        row("odd values, a greyed box clicked", { "Size=2.5", "Long=\" 12\"", "Cas=2" },
            { "Space@Check2", "Space@Check2", "Space@Check2", "OK" }, QString(ok).replace("size 13", "size 2.5"),
            { "Long=12", "Cas=1" });
        row("a text too long for its box, OK", { "Text1=" + QString(20000, u'x') }, { "OK" }, ok);
        row("a text too long for its box, Výchozí, OK", { "Text1=" + QString(20000, u'x') }, { "Výchozí", "OK" },
            "picture , font Monotype Corsiva, size 24, color 255, stretch 0, centre, recompose, closed",
            QString("PictrureStrench=0|Pictrure=|Text=Monotype Corsiva|Size=24|Long=11|Color=255|Date=0|Cas=0|TextV=0|"
                    "Svatky=0|DateF=Short date|CasF=h.mm.ss|Text1=\"Zdravinky, dnes je: \"|Text2=\"Svátek má: \"")
                .split(u'|'));
        row("moved picture, Enter", { "Pictrure=chybí.jpg" }, { "Return@Combo1" }, "picture chybí.jpg, closed");
        row("bad value, Escape", { "Long=120" }, { "Esc@Combo1 text" }, storno);
        row("Enter, Combo2", {}, { "Combo2=30", "Enter@Combo2 text" }, QString(ok).replace("13", "30"), { "Size=30" });
        row("Enter, Bar1", {}, { "Left@Bar1", "Return@Bar1" }, ok, { "Long=29" });
        for (const char *control : { "Check1", "Check2", "Check3", "Check4", "Check5", "Combo3 text", "Combo4 text" })
            row(qPrintable(QString("Enter, ") + control), {}, { QString("Return@") + control }, ok);
        row("Enter in Text1: a new line", {}, { "Return@Text1", "OK" }, ok, { "Text1=\"\\r\\n\"" });
        row("select all", {}, { "click@Text2", "X@focus", "Space@Check3", "Space@Check3", "X@focus", "OK" }, ok,
            { "Text1=x", "Text2=x" });
    }

    // A store file replaced by a folder refuses every write.
    void commands()
    {
        QFETCH(QStringList, ini);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, stored);
        Window w { TempStore(fullIni(ini)) };
        w.form.Form_Load();
        w.form.show();
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        QCOMPARE(QApplication::focusWidget(), w.form.Combo1); // the first control, whatever the load turned on
        w.run(steps);
        QTEST(w.fake.log.join(", ") + (w.form.isVisible() ? ", open" : ", closed"), "log");
        QCOMPARE(w.temp.fileText(), steps.contains("refuse") ? QByteArray() : fullIni(ini + stored));
    }

    // Random sessions (seeded): hand edits written as editors write them, another copy of the program writing,
    // the settings window opening (its read failing, at the greeting's start too), the person changing controls,
    // OK, Použít, Storno, Výchozí or the close box. After each step the file holds what a small model says:
    // a key changes only by a change someone made, and the last change wins. The window stores what the person
    // changed; what the person left alone only where the file still holds what the window read or stored, and
    // Storno writes a kept text back only there; nothing else in the file moves.
    void nobodysChangeIsUndone()
    {
        QTemporaryDir dir(QDir("/dev/shm").exists() ? "/dev/shm/zdravinky-XXXXXX" : ""); // no waiting for a disk
        const QString path = dir.filePath("Zdravin.conf");
        QStringList names;
        for (Key key : AllKeys)
            names << keyName(key);
        for (int seed = 1; seed <= 300; ++seed) {
            QRandomGenerator random(seed);
            const auto pick = [&](const QStringList &list) { return list.value(random.bounded(int(list.size()))); };
            std::array<std::optional<QString>, KeyCount> file; // what the file must hold
            const auto edit = [&](Key key, const QString &value) { // saved as editors save: a new file renamed
                QFile old(path);
                QSaveFile save(path);
                QVERIFY(old.open(QIODevice::ReadOnly) && save.open(QIODevice::WriteOnly)
                    && save.write(old.readAll() + (keyName(key) + u'=' + IniFile::quoted(value) + u'\n').toUtf8())
                    && save.commit());
                file[keyIndex(key)] = value;
            };
            QFile start(path);
            QVERIFY(
                start.open(QIODevice::WriteOnly) && start.write("; poznámka\n[Jiná]\nx=1\n[Path]\n") && start.flush());
            for (Key key : AllKeys)
                if (random.bounded(3))
                    edit(key, pick(choices(key)));
            SettingsStore other(path);
            std::unique_ptr<Session> w;
            const auto load = [&](bool fails) {
                w->known = {};
                Faults::arm(fails ? 1 : 0, ESTALE, "read");
                w->form.Form_Load();
                Faults::disarm();
                for (Key key : AllKeys) {
                    const int i = keyIndex(key);
                    if (fails || choices(key, true).contains(file[i].value_or("")))
                        break;
                    w->known[i] = file[i];
                    if (isTextKey(key))
                        w->kept[i] = file[i].value_or(fallback(key, Reader::SettingsLoad));
                }
                for (Key key : AllKeys)
                    w->base[keyIndex(key)] = control(w->form, w->fake, key);
            };
            const auto store = [&](bool all) { // OK or Použít, from its writes on
                if (!silently([&] { toSingle(control(w->form, w->fake, Key::Size)); }))
                    return; // the size is no number: it ends before them
                for (Key key : AllKeys) {
                    const int i = keyIndex(key);
                    const QString text = control(w->form, w->fake, key);
                    if ((all || isTextKey(key)) && (text != w->base[i] || (w->known[i] && *w->known[i] == file[i])))
                        file[i] = text, w->known[i] = text, w->base[i] = text;
                }
            };
            for (int step = 0; step < 30; ++step) {
                const Key key = Key(random.bounded(KeyCount));
                const int what = random.bounded(w ? 12 : 4);
                const QString value
                    = pick(random.bounded(10) || choices(key, true).isEmpty() ? choices(key) : choices(key, true));
                const bool removed = random.bounded(5) == 0;
                if (what == 0) {
                    edit(key, value);
                } else if (what == 1) {
                    removed ? other.RemoveSetting(key) : other.WriteSetting(key, value);
                    file[keyIndex(key)] = removed ? std::nullopt : std::optional(value);
                } else if (what < 4) {
                    const int fails = random.bounded(4);
                    Faults::arm(fails == 2, EIO, "read"); // at the greeting's start
                    w = std::make_unique<Session>(path);
                    Faults::disarm();
                    load(fails > 0);
                } else if (what < 8 && !choices(key, true).contains(value)) {
                    control(w->form, w->fake, key, value);
                } else if (what == 8 || what == 9) {
                    store(what == 8);
                    what == 8 ? w->form.Command3_Click() : w->form.Command5_Click();
                } else if (what == 10) {
                    forEachTextKey([&](Key key) {
                        const int i = keyIndex(key);
                        if (w->kept[i] && w->known[i] && *w->known[i] == file[i])
                            file[i] = w->kept[i];
                    });
                    w->form.Command2_Click();
                } else if (what == 11) {
                    w->form.Command6_Click(), file = {}, load(false);
                }
                if (what == 8 || what == 10)
                    w.reset(); // OK and Storno close the window
                QFile written(path);
                QVERIFY(written.open(QIODevice::ReadOnly));
                const IniFile::Document now = IniFile::parse(written.readAll());
                QVERIFY2(IniFile::values(now, Store::Section, names) == QList(file.begin(), file.end())
                        && IniFile::value(now, "Jiná", "x") == "1"
                        && IniFile::serialize(now).startsWith("; poznámka\n"),
                    qPrintable(QStringLiteral("seed %1, step %2").arg(seed).arg(step)));
            }
        }
    }

    // Every caption, list item and value fits its control at the designed size: the size box's "24" must not
    // read as "4". Run at device pixel ratio 2 too.
    void nothingClipped()
    {
        Window w { TempStore(fullIni()) };
        w.form.Form_Load();
        w.form.show();
        QVERIFY(QTest::qWaitForWindowActive(&w.form));
        QStringList clipped;
        const auto need = [&](QWidget *control, QString text, int room) {
            if (control->fontMetrics().horizontalAdvance(text.remove(u'&')) > room)
                clipped << control->objectName() + u' ' + text;
        };
        for (QCheckBox *box : w.form.findChildren<QCheckBox *>()) // its caption needs its size hint
            need(box, {}, box->width() - box->sizeHint().width());
        for (QLabel *label : w.form.findChildren<QLabel *>())
            need(label, {}, label->text().isEmpty() ? 0 : label->width() - label->sizeHint().width());
        for (QPushButton *button : w.form.findChildren<QPushButton *>())
            need(button, button->text(), button->width() - 2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin));
        for (QComboBox *combo : w.form.findChildren<QComboBox *>()) {
            combo->showPopup();
            const int listRoom = combo->view()->viewport()->width();
            combo->hidePopup();
            for (int i = 0; i < combo->count(); ++i) {
                if (combo->view()->sizeHintForIndex(combo->model()->index(i, 0)).width() > listRoom)
                    clipped << combo->objectName() + " list " + combo->itemText(i);
                if (combo != w.form.Combo1) { // font names can be any length; the box scrolls
                    QLineEdit *edit = combo->lineEdit();
                    edit->setText(combo->itemText(i));
                    edit->home(false);
                    const int start = edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
                    edit->end(false);
                    need(combo, edit->text(), edit->inputMethodQuery(Qt::ImCursorRectangle).toRect().x() - start);
                }
            }
        }
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(", ")));
    }

    // What a screen reader announces: each control by its caption or the label beside it, never by its value or
    // a neighbouring frame; then its value or text (the colour sample's in words).
    void accessibleNames()
    {
        Window w { TempStore(fullIni()) };
        w.form.Form_Load();
        QStringList announced;
        for (const char *name : { "Combo1", "Label6", "Bar1", "Text2", "Image1", "Frame2", "Check1", "Label4" }) {
            auto *a = QAccessible::queryAccessibleInterface(w.form.findChild<QWidget *>(name));
            const auto *text = a->textInterface();
            announced << a->text(QAccessible::Name) + ": "
                    + (text ? text->text(0, text->characterCount()) : a->text(QAccessible::Value));
            for (int i = 0; i < a->childCount(); ++i) // a screen reader walks the children by their index
                QCOMPARE(a->indexOfChild(a->child(i)), i);
        }
        const QImage sample = w.form.findChild<QWidget *>("Label6")->grab().toImage(); // filled, in a frame
        QCOMPARE(sample.pixelColor(sample.rect().center()), QColor(0x56, 0x34, 0x12));
        QVERIFY(sample.pixelColor(0, 0) != QColor(0x56, 0x34, 0x12));
        QCOMPARE(announced,
            QStringList({ "Písmo: Arial", "Barva písma: červená 86, zelená 52, modrá 18", "Délka zobrazení: 30",
                "Druhá část vlastního textu: Jméno",
                "Obrázek na pozadí: ", "Písmo: ", "Zobrazit Datum: ", "Formát času: " }));
    }

    // The lists the window fills are sorted letter case aside; names equal but
    // for their case stay in the order they came.
    void sortedLists()
    {
        QCOMPARE(FormValues::sortedForList({ "b", "B", "Arial", "a", "ARIAL" }),
            QStringList({ "a", "Arial", "ARIAL", "b", "B" }));
    }

    // The picture dialog's file types as Qt's own dialog reads them (set up, never opened).
    void pictureFilter()
    {
        QFileDialog dialog;
        CommonDialog::configureOpenDialog(dialog, big, FormValues::PictureFilter);
        QCOMPARE(dialog.findChild<QFileSystemModel *>()->nameFilters(),
            QStringList({ "*.jpg", "*.jpeg", "*.bmp", "*.gif" }));
        QCOMPARE(dialog.findChild<QComboBox *>("fileTypeCombo")->itemText(1), " Všechny soubory (*.*)");
        QCOMPARE(dialog.directory(), QFileInfo(big).dir());
    }
};

QTEST_MAIN(tst_Form1)
#include "tst_form1.moc"
