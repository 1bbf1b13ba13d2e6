#pragma once

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
    enum Kind { LocateFile = 0, LocateInstallationFolder = 1, LocateProductFolder = 2 };

    // path is the unexpanded name of what is missing.
    InstallFindFileDialog(QWidget *parent, const QString &path);

    int kind() const { return m_kind; }
    QString locatedPath() const { return m_locatedPath; }
    QLineEdit *pathEdit() const { return m_pathEdit; }

    // In an unattended run nobody can answer: Cancel (0) at once.
    int exec() override;

public slots:
    void onOk();
    void onCancel();
    void onBrowse();
    void textChanged(const QString &text);

private:
    int m_kind = LocateFile;
    QString m_locatedPath;
    QString m_message;
    QLineEdit *m_pathEdit;
};
