#pragma once

#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// Shows a file selected in the desktop's file manager
// (org.freedesktop.FileManager1.ShowItems); when no file manager answers,
// opens the folder that holds it instead.
class FileRevealer : public QObject {
    Q_OBJECT
    QML_ELEMENT
public:
    explicit FileRevealer(QObject *parent = nullptr);

    // Returns at once; the file manager is asked asynchronously.
    Q_INVOKABLE void reveal(const QUrl &fileUrl);

signals:
    // shownInFileManager false: the folder was opened instead.
    void revealed(const QUrl &fileUrl, bool shownInFileManager);

private:
    void openFolder(const QUrl &fileUrl);
};
