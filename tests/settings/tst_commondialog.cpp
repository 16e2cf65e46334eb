#include "common/testsupport.h"
#include "settings/commondialog.h"
#include "settings/formvalues.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

using FormValues::PictureFilter;

// Matches as Qt's file system model does: wildcards, case ignored.
bool matches(const QStringList &patterns, const QString &fileName)
{
    for (const QString &pattern : patterns) {
        const QRegularExpression re(
            QRegularExpression::wildcardToRegularExpression(pattern), QRegularExpression::CaseInsensitiveOption);
        if (re.match(fileName).hasMatch())
            return true;
    }
    return false;
}

} // namespace

class tst_CommonDialog : public QObject
{
    Q_OBJECT
public:
    static void initMain() { isolateTestRun(); }

private Q_SLOTS:
    void pictureFilterEntries();
    void pictureFilterMatches_data();
    void pictureFilterMatches();
    void openDialogShowsDescriptionsAndMatchesPatterns();
};

void tst_CommonDialog::pictureFilterEntries()
{
    const QList<FileFilter> filters = fileFilters(PictureFilter);
    QCOMPARE(filters.size(), 2);
    QCOMPARE(filters[0].description, QStringLiteral("Obrázky (*.jpg, bmp, gif)"));
    QCOMPARE(filters[0].patterns, QStringList({ "*.jpg", "*.jpeg", "*.bmp", "*.gif" }));
    QCOMPARE(filters[1].description, QStringLiteral(" Všechny soubory (*.*)"));
    QCOMPARE(filters[1].patterns, QStringList({ "*" }));
    QCOMPARE(fileFilters(QStringLiteral("Texty|*.txt|unpaired")).size(), 1);
}

void tst_CommonDialog::pictureFilterMatches_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("picture");
    QTest::newRow("jpg") << "Já 8.jpg" << true;
    QTest::newRow("jpeg upper case") << "FOTO.JPEG" << true;
    QTest::newRow("bmp") << "obrazek.bmp" << true;
    QTest::newRow("gif upper case") << "anim.GIF" << true;
    QTest::newRow("png") << "obrazek.png" << false;
    QTest::newRow("bare word bmp") << "bmp" << false;
    QTest::newRow("no extension") << "README" << false;
}

void tst_CommonDialog::pictureFilterMatches()
{
    QFETCH(QString, fileName);
    QFETCH(bool, picture);
    const QList<FileFilter> filters = fileFilters(PictureFilter);
    QCOMPARE(matches(filters[0].patterns, fileName), picture);
    QVERIFY(matches(filters[1].patterns, fileName));
}

// Configured, never shown: what Qt's own parser makes of the type list.
void tst_CommonDialog::openDialogShowsDescriptionsAndMatchesPatterns()
{
    QTemporaryDir dir;
    QFileDialog dialog;
    CommonDialog::configureOpenDialog(dialog, dir.filePath(QStringLiteral("Já 8.jpg")), PictureFilter);

    auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
    QVERIFY(types);
    QCOMPARE(types->count(), 2);
    QCOMPARE(types->itemText(0), QStringLiteral("Obrázky (*.jpg, bmp, gif)"));
    QCOMPARE(types->itemText(1), QStringLiteral(" Všechny soubory (*.*)"));
    QCOMPARE(types->currentIndex(), 0);
    auto *model = dialog.findChild<QFileSystemModel *>();
    QVERIFY(model);
    QCOMPARE(model->nameFilters(), QStringList({ "*.jpg", "*.jpeg", "*.bmp", "*.gif" }));
    QVERIFY(!dialog.testOption(QFileDialog::ReadOnly));
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(QDir(dialog.directory()).canonicalPath(), QDir(dir.path()).canonicalPath());
}

QTEST_MAIN(tst_CommonDialog)
#include "tst_commondialog.moc"
