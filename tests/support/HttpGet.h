// A plain HTTP/1.1 client for tests of the local server: one request per connection.
#pragma once

#include <cstdint>
#include <string>

struct SHttpReply {
    int status = 0;  // 0 when there was no answer
    std::string head;
    std::string body;
    // The value of a header of the answer, empty when absent.
    std::string Header(const std::string& name) const;
};

SHttpReply HttpRequest(uint16_t port, const std::string& target, const std::string& method = "GET");
// "http://127.0.0.1:PORT/target".
SHttpReply HttpGetUrl(const std::string& url);
