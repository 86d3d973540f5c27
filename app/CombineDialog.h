// The dialog "Combine Quillo movies...": the list of project files to combine with Add, Up,
// Down, Remove and Remove All, files dropped on it, and the option to copy only the editing
// information.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "project/ops/CombineList.h"

class IPrompter;
class QCheckBox;
class QListWidget;

class CCombineDialog : public QDialog {
public:
    CCombineDialog(IPrompter& prompter, QWidget* pParent = nullptr);

    const std::vector<std::string>& Files() const { return m_List.Files(); }
    bool EditingOnly() const;
    CCombineList& List() { return m_List; }

    void accept() override;

protected:
    void dragEnterEvent(QDragEnterEvent* pEvent) override;
    void dropEvent(QDropEvent* pEvent) override;

private:
    void Refill(int nSelected);
    int Selected() const;

    IPrompter& m_Prompter;
    CCombineList m_List;
    QListWidget* m_pList = nullptr;
    QCheckBox* m_pEditingOnly = nullptr;
};
