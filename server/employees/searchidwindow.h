#pragma once

#include "core/store/recordset.h"
#include "widgets/formwindow.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// "Search Employee": finds employees by ID or last name, hands one to the record window or deletes it.
class SearchIdWindow : public FormWindow
{
    Q_OBJECT
public:
    explicit SearchIdWindow(QWidget* parent = nullptr);

    bool load() override;

private:
    void searchById();
    void searchByLastName();
    void search(const QString& typed, const QString& sql, bool capitals);
    void uploadRecord();
    void deleteRecord();

    RecordSet m_employees; // the rows of the last search; deletes work on it
    QLineEdit* m_idKey;
    QPushButton* m_idSearch;
    QLineEdit* m_nameKey;
    QPushButton* m_nameSearch;
    QTreeWidget* m_list;
    QPushButton* m_upload;
    QPushButton* m_delete;
};
