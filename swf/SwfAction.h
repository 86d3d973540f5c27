// Script steps: small objects that each append one or more action records, so that the same
// step can be attached to a frame or to a button.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CSwfActionList;
class CSwfButtonCondAction;
class CSwfDoAction;

class CSwfAction {
public:
    virtual ~CSwfAction() = default;
    void AppendTo(CSwfButtonCondAction& list) const;
    void AppendTo(CSwfDoAction& block) const;
    // Appends a fresh copy of the step's records.
    virtual void AppendRecords(CSwfActionList& list) const = 0;

    static std::unique_ptr<CSwfAction> GetUrl(std::string url, std::string target = {});
    // Url and target from the stack; `method` 0 none, 1 GET, 2 POST.
    static std::unique_ptr<CSwfAction> GetUrlViaStack(std::string url, std::string target,
                                                      uint8_t method);
    static std::unique_ptr<CSwfAction> GotoFrame(uint16_t frame);
    static std::unique_ptr<CSwfAction> Play();
    static std::unique_ptr<CSwfAction> Stop();
    static std::unique_ptr<CSwfAction> GetProperty(std::string target, float property);
    static std::unique_ptr<CSwfAction> SetProperty(std::string target, float property,
                                                   std::string value);
    static std::unique_ptr<CSwfAction> SetProperty(std::string target, float property,
                                                   int32_t value);
    static std::unique_ptr<CSwfAction> GetVariable(std::string name);
    static std::unique_ptr<CSwfAction> SetVariable(std::string name, std::string value);
    static std::unique_ptr<CSwfAction> SetVariable(std::string name, int32_t value);
    static std::unique_ptr<CSwfAction> PushString(std::string value);
    static std::unique_ptr<CSwfAction> PushInt(int32_t value);
    static std::unique_ptr<CSwfAction> SetTarget(std::string name);
};

// "%d" in the C locale, whatever the process locale is.
std::string FormatSwfInteger(int32_t value);
// "%f" in the C locale, whatever the process locale is.
std::string FormatSwfFixed(double value);
