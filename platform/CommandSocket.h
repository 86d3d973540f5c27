// How other programs of the same user reach a running recording: a local socket on which one
// connection carries one recorder command code as a decimal line ("27\n" stops the
// recording) and is answered with "ok\n", or with "refused: <reason>\n" when the recorder
// does not act on it. The recorder listens; `quillo stop` sends.
#pragma once

#include <functional>
#include <string>

// The socket of the user's recorder: "quillo-recorder" in $XDG_RUNTIME_DIR, else in a folder
// "quillo-<uid>" of the system's temporary folder that only the user may enter.
std::string RecorderSocketPath();

class CCommandSocket {
public:
    CCommandSocket() = default;
    ~CCommandSocket();
    CCommandSocket(const CCommandSocket&) = delete;
    CCommandSocket& operator=(const CCommandSocket&) = delete;

    // False (with Error()) when the socket cannot be made or another recorder listens on it; a
    // socket left behind by a program that ended is replaced.
    bool Listen(const std::string& path);
    void Close();
    const std::string& Error() const { return m_strError; }
    // Readable when a sender waits; -1 when not listening.
    int WaitHandle() const { return m_fd; }
    // What the listener makes of one code: empty when it acts on it, else why it does not.
    using TCodeHandler = std::function<std::string(int code)>;
    // Accepts the waiting senders, hands their codes in order to `handle` and answers each
    // sender with the outcome; never blocks for long.
    void Serve(const TCodeHandler& handle);

private:
    int m_fd = -1;
    std::string m_strPath;
    std::string m_strError;
};

// Sends one code to the recorder listening at `path` and waits for its answer. False, with the
// reason, when nobody listens, no answer came or the recorder refused the code.
bool SendRecorderCode(const std::string& path, int code, std::string& error);
