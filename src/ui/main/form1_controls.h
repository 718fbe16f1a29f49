#pragma once

class QAction;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace pa {

class EnterPushButton;
class PickComboBox;
class ResultLabel;

// The controls the window's behaviour uses, resolved once from the layout table.
struct Form1Controls {
    QLineEdit* TxtPv;
    QLineEdit* TxtPd;
    QLineEdit* TxtN;
    QLineEdit* TxtH;
    QLineEdit* TxtL;
    QLineEdit* TxtW;
    QLineEdit* TxtDln;
    PickComboBox* CmbD;
    PickComboBox* CmbOn;
    PickComboBox* CmbDn;
    PickComboBox* CmbUPS;
    PickComboBox* CmbVP;
    QRadioButton* Opt1;
    QRadioButton* Opt2;
    QRadioButton* Opt3;
    QRadioButton* Opt_1_1;
    QRadioButton* Opt_1_2;
    QRadioButton* Opt_1_3;
    QLabel* Label3;
    ResultLabel* LblPd;
    ResultLabel* LblD;
    ResultLabel* LblS;
    ResultLabel* LblKs;
    ResultLabel* LblZat;
    ResultLabel* LblSr;
    EnterPushButton* Command1;
    EnterPushButton* Command2;
    QAction* Mppech;
    QAction* Mplan;
    QAction* Mproject;
    QAction* Mspr;
    QAction* Mopr;
};

} // namespace pa
