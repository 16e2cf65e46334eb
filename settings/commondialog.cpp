#include "settings/commondialog.h"

#include "platform/colors.h"
#include "platform/errortrap.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPointer>

namespace {

QStringList readPatterns(const QString &patterns)
{
    QStringList result;
    const auto add = [&result](const QString &pattern) {
        if (!result.contains(pattern))
            result << pattern;
    };
    for (const QString &part : patterns.split(u';', Qt::SkipEmptyParts)) {
        const QString pattern = part.trimmed();
        if (pattern.isEmpty())
            continue;
        if (pattern == u"*.*") {
            add(QStringLiteral("*"));
        } else if (!pattern.contains(u'*') && !pattern.contains(u'?') && !pattern.contains(u'.')) {
            add(QStringLiteral("*.") + pattern);
        } else {
            add(pattern);
            if (pattern.compare(u"*.jpg", Qt::CaseInsensitive) == 0)
                add(QStringLiteral("*.jpeg"));
        }
    }
    return result;
}

// Dialogs belong to the window that is modal at the moment (the settings window).
QWidget *ownerWindow()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

} // namespace

QList<FileFilter> fileFilters(const QString &filter)
{
    QList<FileFilter> result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        result.append({ parts[i], readPatterns(parts[i + 1]) });
    return result;
}

void CommonDialog::ShowOpen()
{
    if (const auto chosen = askFileName(FileName, Filter))
        FileName = *chosen;
}

void CommonDialog::ShowColor()
{
    if (const auto chosen = askColor(Flags & RgbInit ? Color : 0))
        Color = *chosen;
}

void CommonDialog::configureOpenDialog(QFileDialog &dialog, const QString &fileName, const QString &filter)
{
    // Qt's own dialog on every platform, so that the type list below is shown as built.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::ReadOnly, false);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);

    // With the details hidden, Qt shows the text before the last parenthesis
    // and matches the patterns inside it, so "Obrázky (*.jpg, bmp, gif)" keeps
    // its own parentheses on screen while the real patterns do the matching.
    const QList<FileFilter> filters = fileFilters(filter);
    QStringList nameFilters;
    for (const FileFilter &entry : filters)
        nameFilters << entry.description + QStringLiteral(" (") + entry.patterns.join(u' ') + u')';
    dialog.setNameFilters(nameFilters);
    if (!nameFilters.isEmpty())
        dialog.selectNameFilter(nameFilters.first());
    // Qt trims what it shows; " Všechny soubory (*.*)" begins with a space.
    if (auto *types = dialog.findChild<QComboBox *>(QStringLiteral("fileTypeCombo"))) {
        for (int i = 0; i < types->count() && i < filters.size(); ++i)
            types->setItemText(i, filters[i].description);
    }

    if (!fileName.isEmpty()) {
        const QFileInfo proposed(fileName);
        dialog.setDirectory(proposed.absolutePath());
        dialog.selectFile(proposed.absoluteFilePath());
    }
}

std::optional<QString> CommonDialog::askFileName(const QString &proposed, const QString &filter)
{
    // The owner may be deleted while the dialog runs (the program ends).
    QPointer<QFileDialog> dialog = new QFileDialog(ownerWindow());
    configureOpenDialog(*dialog, proposed, filter);
    const bool confirmed = dialog->exec() == QDialog::Accepted;
    if (!dialog)
        return std::nullopt;
    const QStringList chosen = dialog->selectedFiles();
    delete dialog;
    if (!confirmed || chosen.isEmpty())
        return std::nullopt;
    return QDir::toNativeSeparators(chosen.first());
}

std::optional<qint32> CommonDialog::askColor(qint32 proposed)
{
    QColor initial(Qt::black);
    silently([&] { initial = colorFromStored(proposed, QApplication::palette()); });
    QPointer<QColorDialog> dialog = new QColorDialog(initial, ownerWindow());
    const bool confirmed = dialog->exec() == QDialog::Accepted;
    if (!dialog)
        return std::nullopt;
    const QColor chosen = dialog->selectedColor();
    delete dialog;
    if (!confirmed || !chosen.isValid())
        return std::nullopt;
    return storedFromColor(chosen);
}
