// The hook through which saving a movie shows its progress and learns that the user cancelled.
#pragma once

#include <string_view>

class ISwfProgress {
public:
    virtual ~ISwfProgress() = default;
    virtual void Begin(std::string_view caption) = 0;
    virtual void Set(double percent) = 0;
    virtual bool IsCancelled() = 0;
    virtual void End() = 0;
};
