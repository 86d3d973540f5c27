#include "app/CombineDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

CCombineDialog::CCombineDialog(IPrompter& prompter, QWidget* pParent)
    : QDialog(pParent), m_Prompter(prompter) {
    setWindowTitle("Combine Quillo movies...");
    setAcceptDrops(true);
    auto* pLayout = new QVBoxLayout(this);
    auto* pRow = new QHBoxLayout;
    m_pList = new QListWidget(this);
    pRow->addWidget(m_pList, 1);
    auto* pButtons = new QVBoxLayout;
    auto addButton = [&](const char* text, auto action) {
        auto* pButton = new QPushButton(text, this);
        pButtons->addWidget(pButton);
        connect(pButton, &QPushButton::clicked, this, action);
    };
    addButton("Add", [this] {
        if (m_List.Add(m_Prompter)) {
            Refill(static_cast<int>(m_List.Files().size()) - 1);
        }
    });
    addButton("Up", [this] {
        if (m_List.Up(static_cast<size_t>(Selected()))) {
            Refill(Selected() - 1);
        }
    });
    addButton("Down", [this] {
        if (Selected() >= 0 && m_List.Down(static_cast<size_t>(Selected()))) {
            Refill(Selected() + 1);
        }
    });
    addButton("Remove", [this] {
        if (Selected() >= 0 && m_List.Remove(static_cast<size_t>(Selected()))) {
            Refill(Selected());
        }
    });
    addButton("Remove All", [this] {
        if (m_List.RemoveAll(m_Prompter)) {
            Refill(-1);
        }
    });
    pButtons->addStretch(1);
    pRow->addLayout(pButtons);
    pLayout->addLayout(pRow, 1);
    m_pEditingOnly = new QCheckBox("Copy editing information only and use video from source", this);
    pLayout->addWidget(m_pEditingOnly);
    auto* pBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(pBox, &QDialogButtonBox::accepted, this, &CCombineDialog::accept);
    connect(pBox, &QDialogButtonBox::rejected, this, &CCombineDialog::reject);
    pLayout->addWidget(pBox);
}

bool CCombineDialog::EditingOnly() const {
    return m_pEditingOnly->isChecked();
}

void CCombineDialog::accept() {
    if (m_List.Check(m_Prompter)) {
        QDialog::accept();
    }
}

int CCombineDialog::Selected() const {
    return m_pList->currentRow();
}

void CCombineDialog::Refill(int nSelected) {
    m_pList->clear();
    for (const std::string& name : m_List.Files()) {
        m_pList->addItem(QString::fromStdString(name));
    }
    if (nSelected >= 0 && nSelected < m_pList->count()) {
        m_pList->setCurrentRow(nSelected);
    }
}

void CCombineDialog::dragEnterEvent(QDragEnterEvent* pEvent) {
    if (pEvent->mimeData()->hasUrls()) {
        pEvent->acceptProposedAction();
    }
}

void CCombineDialog::dropEvent(QDropEvent* pEvent) {
    std::vector<std::string> names;
    for (const QUrl& url : pEvent->mimeData()->urls()) {
        names.push_back(url.toLocalFile().toStdString());
    }
    m_List.Drop(names);
    Refill(static_cast<int>(m_List.Files().size()) - 1);
}
