#pragma once

#include <QWidget>

class CRandomNameDelegate;
class QButtonGroup;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QRadioButton;
class QStringListModel;

// Generates 20 names of a chosen kind (people, places, techniques) from the
// stored name lists; a click on a name copies it.
class Widget_RandomName : public QWidget
{
    Q_OBJECT
public:
    explicit Widget_RandomName(QWidget* parent = nullptr);

    int currentKind() const { return m_kind; }
    QStringList names() const;
    QListView* listView() const { return m_list; }
    CRandomNameDelegate* delegate() const { return m_delegate; }

public slots:
    void onKindChosen(int id);
    void generate();

private:
    void fillFixedPart(int nationalityOrKind, int surnameKind, bool suffix, const char* logTag);
    void onRandomFixedPart();
    void setArrows();
    QPushButton* addGroup(QWidget* column, const char* headerName, const QString& headerText, const char* groupName,
                          QWidget** group);

    QButtonGroup* m_kinds = nullptr;
    QButtonGroup* m_length = nullptr;
    QRadioButton* m_man = nullptr;
    QLineEdit* m_fixed = nullptr;
    QLabel* m_fieldLabel = nullptr;
    QWidget* m_family = nullptr;
    QWidget* m_number = nullptr;
    QWidget* m_sex = nullptr;
    QWidget* m_condition = nullptr;
    QPushButton* m_randomFixed = nullptr;
    QPushButton* m_headers[3] = {nullptr, nullptr, nullptr};
    QListView* m_list = nullptr;
    QStringListModel* m_model = nullptr;
    CRandomNameDelegate* m_delegate = nullptr;
    int m_kind = 0;
};
