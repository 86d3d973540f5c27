// The list of the dialog "Combine Quillo movies...": the project files to combine in order,
// with the dialog's Add, Up, Down, Remove and Remove All and the names a drop adds.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class IPrompter;

class CCombineList {
public:
    const std::vector<std::string>& Files() const { return m_Files; }

    // "Add": asks for a project file ("Combine Quillo movie...") and appends it.
    bool Add(IPrompter& prompter);
    // Files dropped on the list: those ending in ".lumo" are appended.
    void Drop(const std::vector<std::string>& names);
    // "Up" and "Down" move the selected file one place; false at either end.
    bool Up(std::size_t nSelected);
    bool Down(std::size_t nSelected);
    bool Remove(std::size_t nSelected);
    // "Remove All" after the question "Remove entire selection ?".
    bool RemoveAll(IPrompter& prompter);
    // OK: at least two files, else the user is told.
    bool Check(IPrompter& prompter) const;

private:
    std::vector<std::string> m_Files;
};
