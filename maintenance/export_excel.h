#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// Copies first name, last name and birth date of every person of the list into a workbook and
// hands it to the desktop's spreadsheet program.
class export_excel : public QDialog
{
    Q_OBJECT
public:
    explicit export_excel(QWidget* parent = nullptr);

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void ExportToExcel();

    QLabel* Label3;
    QLabel* Label4;
    QProgressBar* xpProgress1;
    QPushButton* Command1;
    QPushButton* Command2;

    void done(int result) override;
};

// Where the export puts its workbook: "Tovalinerosliste-<date>-<time>.xlsx" in the user's
// temporary folder, created empty and readable by its owner only; another name is chosen when
// that one exists. Empty when no file can be created there.
QString NewExportWorkbookPath(QString* error = nullptr);
