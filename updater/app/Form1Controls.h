#pragma once

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QWidget;
struct UpdaterConfig;

// The updater window's controls, placed in twips as the window was designed.
// Each carries its control name as objectName.
struct Form1Controls
{
    QLabel* Image2 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Text2 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Label5 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QPlainTextEdit* Text5 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

    static Form1Controls build(QWidget* form, const UpdaterConfig& config);
};
