#include "publish/ScriptBuilder.h"

#include "swf/SwfFrame.h"

CScriptBuilder& CScriptBuilder::Push(std::string value) {
    m_list.Add(CSwfActionPush::String(std::move(value)));
    return *this;
}

CScriptBuilder& CScriptBuilder::PushInt(int32_t value) {
    m_list.Add(CSwfActionPush::Integer(value));
    return *this;
}

CScriptBuilder& CScriptBuilder::Get(std::string name) {
    Push(std::move(name));
    return Code(kActionGetVariable);
}

CScriptBuilder& CScriptBuilder::Set(std::string name, std::string value) {
    Push(std::move(name));
    Push(std::move(value));
    return Code(kActionSetVariable);
}

CScriptBuilder& CScriptBuilder::Code(uint8_t code) {
    m_list.Add(std::make_unique<CSwfActionSimple>(code));
    return *this;
}

CScriptBuilder& CScriptBuilder::Target(std::string name) {
    m_list.Add(std::make_unique<CSwfActionSetTarget>(std::move(name)));
    return *this;
}

CScriptBuilder& CScriptBuilder::TargetOf(std::string name) {
    Get(std::move(name));
    return Code(kActionSetTarget2);
}

CScriptBuilder& CScriptBuilder::Goto(uint16_t frame) {
    m_list.Add(std::make_unique<CSwfActionGotoFrame>(frame));
    return *this;
}

CScriptBuilder& CScriptBuilder::GotoStack(bool play) {
    m_list.Add(std::make_unique<CSwfActionByte>(kActionGotoFrame2, play ? 1 : 0));
    return *this;
}

CScriptBuilder& CScriptBuilder::Play() {
    return Code(kActionPlay);
}

CScriptBuilder& CScriptBuilder::Stop() {
    return Code(kActionStop);
}

CScriptBuilder& CScriptBuilder::IfTrue(CScriptBuilder&& body) {
    Code(kActionNot);
    m_list.Add(std::make_unique<CSwfActionBranch>(kActionIf, int16_t(body.Length())));
    m_list.Append(std::move(body.m_list));
    return *this;
}

CScriptBuilder& CScriptBuilder::IfSet(std::string name, CScriptBuilder&& body) {
    Get(std::move(name));
    return IfTrue(std::move(body));
}

CScriptBuilder& CScriptBuilder::IfElse(CScriptBuilder&& body, CScriptBuilder&& rest) {
    const CSwfActionBranch jump(kActionJump, int16_t(rest.Length()));
    Code(kActionNot);
    m_list.Add(
        std::make_unique<CSwfActionBranch>(kActionIf, int16_t(body.Length() + jump.Length())));
    m_list.Append(std::move(body.m_list));
    m_list.Add(std::make_unique<CSwfActionBranch>(kActionJump, int16_t(rest.Length())));
    m_list.Append(std::move(rest.m_list));
    return *this;
}

void CScriptBuilder::AddTo(CSwfFrame& frame) {
    frame.Actions().Actions().Append(std::move(m_list));
}
