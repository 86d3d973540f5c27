// Frame scripts built record by record, with blocks that run only when a variable is set.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "swf/SwfActionList.h"

class CSwfFrame;

class CScriptBuilder {
public:
    CScriptBuilder& Push(std::string value);
    CScriptBuilder& PushInt(int32_t value);
    CScriptBuilder& Get(std::string name);
    CScriptBuilder& Set(std::string name, std::string value);
    CScriptBuilder& Code(uint8_t code);
    CScriptBuilder& Target(std::string name);
    // SetTarget2: the target path is the value of the variable `name`.
    CScriptBuilder& TargetOf(std::string name);
    // 0-based frame index of the current target.
    CScriptBuilder& Goto(uint16_t frame);
    // The 1-based frame number on the stack; the target stops there (or plays, with `play`).
    CScriptBuilder& GotoStack(bool play);
    CScriptBuilder& Play();
    CScriptBuilder& Stop();
    // Runs `body` only when the value on the stack is true.
    CScriptBuilder& IfTrue(CScriptBuilder&& body);
    // Runs `body` only when the variable holds a true value ("1").
    CScriptBuilder& IfSet(std::string name, CScriptBuilder&& body);
    // Runs `body` and then jumps past `rest` when the value on the stack is true; `rest` runs
    // otherwise.
    CScriptBuilder& IfElse(CScriptBuilder&& body, CScriptBuilder&& rest);

    uint32_t Length() const { return m_list.Length(); }
    CSwfActionList& List() { return m_list; }
    // Appends the records to the frame's action block.
    void AddTo(CSwfFrame& frame);

private:
    CSwfActionList m_list;
};
