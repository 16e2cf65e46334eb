#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

class QFileDialog;

// One entry of a file dialog's type list: the text shown and the file name
// patterns it lets through.
struct FileFilter
{
    QString description;
    QStringList patterns;
};

// Reads a filter text of pairs "description|patterns|description|patterns",
// the patterns separated by ";". A bare word such as "bmp" is read as the
// extension it names ("*.bmp"), "*.jpg" lets "*.jpeg" through as well, and
// "*.*" means every file, as it does on Windows.
QList<FileFilter> fileFilters(const QString &filter);

// The file-open and colour dialogs of the settings window, set up through
// their properties before each Show call, as the common dialog control is.
// The open dialog never offers a read-only option, so it needs no flag for
// hiding one.
// Tests derive from it and answer in askFileName and askColor, so that no
// dialog ever opens.
class CommonDialog
{
public:
    static constexpr qint32 RgbInit = 1; // colour dialog: opens on Color

    virtual ~CommonDialog() = default;

    QString FileName; // full path
    QString Filter;
    qint32 Flags = 0;
    qint32 Color = 0; // 0x00BBGGRR

    // Modal; a confirmed choice replaces FileName or Color, a cancel changes nothing.
    void ShowOpen();
    void ShowColor();

    // Prepares a file dialog (without opening it) the way ShowOpen shows it.
    static void configureOpenDialog(QFileDialog &dialog, const QString &fileName, const QString &filter);

protected:
    // The person's answer, or nothing when they cancel.
    virtual std::optional<QString> askFileName(const QString &proposed, const QString &filter);
    virtual std::optional<qint32> askColor(qint32 proposed);
};
