#include "swf/SwfAction.h"

#include <charconv>
#include <functional>
#include <utility>

#include "swf/SwfActionList.h"

namespace {

// A step is a recipe: every append builds new records, so no record is ever owned twice.
class CRecipeAction : public CSwfAction {
public:
    explicit CRecipeAction(std::function<void(CSwfActionList&)> recipe)
        : m_recipe(std::move(recipe)) {}
    void AppendRecords(CSwfActionList& list) const override { m_recipe(list); }

private:
    std::function<void(CSwfActionList&)> m_recipe;
};

std::unique_ptr<CSwfAction> Make(std::function<void(CSwfActionList&)> recipe) {
    return std::make_unique<CRecipeAction>(std::move(recipe));
}

void AddPushString(CSwfActionList& list, const std::string& s) {
    list.Add(CSwfActionPush::String(s));
}

}  // namespace

std::string FormatSwfInteger(int32_t value) {
    char buffer[16];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string FormatSwfFixed(double value) {
    char text[64];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return ec == std::errc() ? std::string(text, end) : std::string("0");
}

void CSwfAction::AppendTo(CSwfButtonCondAction& list) const {
    AppendRecords(list.Actions());
}

void CSwfAction::AppendTo(CSwfDoAction& block) const {
    AppendRecords(block.Actions());
}

std::unique_ptr<CSwfAction> CSwfAction::GetUrl(std::string url, std::string target) {
    return Make([url = std::move(url), target = std::move(target)](CSwfActionList& list) {
        list.Add(std::make_unique<CSwfActionGetUrl>(url, target));
    });
}

std::unique_ptr<CSwfAction> CSwfAction::GetUrlViaStack(std::string url, std::string target,
                                                       uint8_t method) {
    return Make([url = std::move(url), target = std::move(target), method](CSwfActionList& list) {
        AddPushString(list, url);
        AddPushString(list, target);
        list.Add(std::make_unique<CSwfActionByte>(kActionGetUrl2, method));
    });
}

std::unique_ptr<CSwfAction> CSwfAction::GotoFrame(uint16_t frame) {
    return Make(
        [frame](CSwfActionList& list) { list.Add(std::make_unique<CSwfActionGotoFrame>(frame)); });
}

std::unique_ptr<CSwfAction> CSwfAction::Play() {
    return Make(
        [](CSwfActionList& list) { list.Add(std::make_unique<CSwfActionSimple>(kActionPlay)); });
}

std::unique_ptr<CSwfAction> CSwfAction::Stop() {
    return Make(
        [](CSwfActionList& list) { list.Add(std::make_unique<CSwfActionSimple>(kActionStop)); });
}

std::unique_ptr<CSwfAction> CSwfAction::GetProperty(std::string target, float property) {
    return Make([target = std::move(target), property](CSwfActionList& list) {
        AddPushString(list, target);
        list.Add(CSwfActionPush::Float(property));
        list.Add(std::make_unique<CSwfActionSimple>(kActionGetProperty));
    });
}

std::unique_ptr<CSwfAction> CSwfAction::SetProperty(std::string target, float property,
                                                    std::string value) {
    return Make(
        [target = std::move(target), property, value = std::move(value)](CSwfActionList& list) {
            AddPushString(list, target);
            list.Add(CSwfActionPush::Float(property));
            AddPushString(list, value);
            list.Add(std::make_unique<CSwfActionSimple>(kActionSetProperty));
        });
}

std::unique_ptr<CSwfAction> CSwfAction::SetProperty(std::string target, float property,
                                                    int32_t value) {
    return SetProperty(std::move(target), property, FormatSwfInteger(value));
}

std::unique_ptr<CSwfAction> CSwfAction::GetVariable(std::string name) {
    return Make([name = std::move(name)](CSwfActionList& list) {
        AddPushString(list, name);
        list.Add(std::make_unique<CSwfActionSimple>(kActionGetVariable));
    });
}

std::unique_ptr<CSwfAction> CSwfAction::SetVariable(std::string name, std::string value) {
    return Make([name = std::move(name), value = std::move(value)](CSwfActionList& list) {
        AddPushString(list, name);
        AddPushString(list, value);
        list.Add(std::make_unique<CSwfActionSimple>(kActionSetVariable));
    });
}

std::unique_ptr<CSwfAction> CSwfAction::SetVariable(std::string name, int32_t value) {
    return SetVariable(std::move(name), FormatSwfInteger(value));
}

std::unique_ptr<CSwfAction> CSwfAction::PushString(std::string value) {
    return Make([value = std::move(value)](CSwfActionList& list) { AddPushString(list, value); });
}

std::unique_ptr<CSwfAction> CSwfAction::PushInt(int32_t value) {
    return Make([value](CSwfActionList& list) { list.Add(CSwfActionPush::Integer(value)); });
}

std::unique_ptr<CSwfAction> CSwfAction::SetTarget(std::string name) {
    return Make([name = std::move(name)](CSwfActionList& list) {
        list.Add(std::make_unique<CSwfActionSetTarget>(name));
    });
}
