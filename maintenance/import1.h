#pragma once

#include "maintenance/freeeditionlist.h"
#include "platform/prompt.h"

#include <QDialog>

class Grid;
class QLabel;
class QProgressBar;
class QPushButton;

// Takes over the list of the free edition: shows its lines, turns each into a person of the
// list (pass 1) and replaces the list file with them (pass 2).
class import1 : public QDialog
{
    Q_OBJECT
public:
    explicit import1(QWidget* parent = nullptr);

    void Form_Load();
    void LoadFreeEditionList();
    void SetupTargetGrid();
    void Command1_Click();
    void SaveImportedList();
    void Command2_Click();
    static void UnloadAllForms();

    QString SourcePath;
    // The fixed settings of the open dialog.
    const FileRequest CommonDialog1{QStringLiteral("Import von Tovalinerosliste aus der Free-Version"),
                                    QString(), QString(), QStringLiteral("Tovalinerosliste (*.dat)|*.dat"),
                                    QString()};

    QLabel* Label3;
    QLabel* Label4;
    Grid* Grid1;
    Grid* Grid2;
    QLabel* Label1;
    QProgressBar* ProgressBar1a;
    QPushButton* Command1;
    QPushButton* Command2;

    void done(int result) override;

private:
    void PrepareSourceGrid();
    // Waits while the program goes on; false when the window was unloaded meanwhile, and then
    // nothing of it may be touched any more.
    bool Pause(long seconds);

    QList<FreeEditionLine> sourceLines_;
};
