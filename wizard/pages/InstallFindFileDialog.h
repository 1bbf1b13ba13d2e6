#pragma once

#include "app/queries/FindFileRequest.h"

#include <QDialog>
#include <QString>

class QLineEdit;

// Asks the user to locate a missing installation folder, product folder or file.
// For the two folder kinds the answer goes straight into SrcDir or DestDir; for a
// file it is kept as the located path. Result 1 is OK, 0 Cancel.
class InstallFindFileDialog : public QDialog
{
    Q_OBJECT
public:
    enum Kind {
        LocateFile = FindFileRequest::LocateFile,
        LocateInstallationFolder = FindFileRequest::LocateInstallationFolder,
        LocateProductFolder = FindFileRequest::LocateProductFolder
    };

    // path is the unexpanded name of what is missing.
    InstallFindFileDialog(QWidget *parent, const QString &path);

    int kind() const { return m_kind; }
    QString locatedPath() const { return m_locatedPath; }
    QLineEdit *pathEdit() const { return m_pathEdit; }

public slots:
    void onOk();
    void onCancel();
    void onBrowse();
    void textChanged(const QString &text);

private:
    int m_kind = LocateFile;
    QString m_locatedPath;
    QLineEdit *m_pathEdit;
};
