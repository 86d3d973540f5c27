#include "project/ops/CombineList.h"

#include <utility>

#include "platform/Prompter.h"
#include "project/ops/CombineProjects.h"

bool CCombineList::Add(IPrompter& prompter) {
    auto name = prompter.AskOpenName({"Combine Quillo movie...", "", "Quillo File (*.lumo)"});
    if (!name || name->empty()) {
        return false;
    }
    m_Files.push_back(*name);
    return true;
}

void CCombineList::Drop(const std::vector<std::string>& names) {
    for (std::string& name : DroppedProjectFiles(names)) {
        m_Files.push_back(std::move(name));
    }
}

bool CCombineList::Up(std::size_t nSelected) {
    if (nSelected == 0 || nSelected >= m_Files.size()) {
        return false;
    }
    std::swap(m_Files[nSelected - 1], m_Files[nSelected]);
    return true;
}

bool CCombineList::Down(std::size_t nSelected) {
    if (nSelected + 1 >= m_Files.size()) {
        return false;
    }
    std::swap(m_Files[nSelected], m_Files[nSelected + 1]);
    return true;
}

bool CCombineList::Remove(std::size_t nSelected) {
    if (nSelected >= m_Files.size()) {
        return false;
    }
    m_Files.erase(m_Files.begin() + static_cast<std::ptrdiff_t>(nSelected));
    return true;
}

bool CCombineList::RemoveAll(IPrompter& prompter) {
    if (m_Files.empty()) {
        return false;
    }
    SPromptMessage question{"Remove entire selection ?", kTooFewCaption, EMsgIcon::Question,
                            EMsgButtons::YesNo, EMsgAnswer::No};
    if (prompter.Message(question) != EMsgAnswer::Yes) {
        return false;
    }
    m_Files.clear();
    return true;
}

bool CCombineList::Check(IPrompter& prompter) const {
    if (m_Files.size() < 2) {
        prompter.Error(kTooFewToCombine, kTooFewCaption);
        return false;
    }
    return true;
}
