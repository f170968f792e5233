#include "LineProbe.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iterator>

#include "controllers/serial/hextext/HexText.h"
#include "controllers/serial/register/EffioLink.h"
#include "controllers/serial/register/IT1Link.h"
#include "controllers/serial/register/ITNLink.h"
#include "controllers/serial/register/SeawolfLink.h"
#include "controllers/serial/visca/Visca.h"

namespace {

typedef std::chrono::steady_clock SteadyClock;

const int kTries = 3;
const int kWaitStepMs = 100;
// How long a module may take to start its reply, and the longest request and
// reply on the wire (11 bits a byte, parity included): the first read's wait.
const int kTurnaroundMs = 60;
const int kExchangeBits = (9 + 9) * 11;
// The turnaround allowed when a line setting is questioned again: a module
// busy with its own work (exposure, a lens move) or on a loaded host.
const int kSlowTurnaroundMs = 300;
// Once a reply has begun, its bytes follow one another closely; a try never
// reads longer than this past its first wait.
const int kTrailMs = 300;
// A VISCA reply is 4 or 5 bytes; noise gets this long before it is given up.
const size_t kLongestViscaRead = 24;

const int kUsualRates[] = {9600, 19200, 38400, 115200, 57600, 4800, 2400};

// In the port's wait steps.
int replyWait(int p_nBaudRate, int p_nTurnaroundMs) {
    int wireMs = kExchangeBits * 1000 / std::max(p_nBaudRate, 1);
    return (p_nTurnaroundMs + wireMs + kWaitStepMs - 1) / kWaitStepMs;
}

// The port's reply bytes with a bound on the wait: p_nWait steps for the
// first, one step for each further read, never past the try's deadline.
// Everything read is kept for the trace.
class PortSource : public ReplySource {
public:
    PortSource(IUARTController& p_port, int p_nIndex, int p_nWait)
        : m_port(p_port),
          m_nIndex(p_nIndex),
          m_nWait(p_nWait),
          m_deadline(SteadyClock::now() +
                     std::chrono::milliseconds(p_nWait * kWaitStepMs + kTrailMs)) {}

    int read(char* p_pBuffer, int p_nLength, int) override {
        int total = 0;
        while (total < p_nLength && SteadyClock::now() < m_deadline) {
            int count = m_port.read(m_nIndex, p_pBuffer + total, p_nLength - total,
                                    m_strReceived.empty() && total == 0 ? m_nWait : 1);
            if (count <= 0) {
                break;
            }
            total += std::min(count, p_nLength - total);
        }
        m_strReceived.append(p_pBuffer, static_cast<size_t>(total));
        return total;
    }

    const std::string& received() const { return m_strReceived; }

private:
    IUARTController& m_port;
    int m_nIndex;
    int m_nWait;
    SteadyClock::time_point m_deadline;
    std::string m_strReceived;
};

// A request, what it asks for, and how much data its reply carries (VISCA:
// nibbles; hex text: digits; the register protocols: bytes, 0 for any).
struct Request {
    const char* szWhat;
    std::string (*frame)();
    int nData;
};

// A protocol the probe speaks: its request and the second one, and how a
// reply is read. read gives the reply's data bytes, or false when what came
// is no reply of this protocol to the request.
struct Protocol {
    const char* szName;
    bool bText;
    Request requests[2];
    bool (*read)(ReplySource& p_source, const std::string& p_strRequest, int p_nData,
                 std::string& p_strData);
    // The module variants speaking it, as sensorctl's simulator kinds name
    // them, and those the first reply's data narrows them to (or null).
    const char* szKinds;
    const char* (*narrow)(const std::string& p_strData);
};

std::string oneByte(int p_nValue) {
    return std::string(1, static_cast<char>(p_nValue));
}

// VISCA and the CMD modules: the video-standard register, which each of
// their controllers reads at start-up, and the day/night state. Neither
// inquiry holds a byte that opens another protocol's write.
template <int Code, int... Parameters>
std::string viscaInquiry() {
    return Visca::inquiry(Code, Visca::bytes({Parameters...}));
}

bool readVisca(ReplySource& p_source, const std::string&, int p_nData, std::string& p_strData) {
    std::string bytes;
    char byte = 0;
    while (bytes.size() < kLongestViscaRead && p_source.read(&byte, 1, 0) == 1) {
        bytes += byte;
        size_t from = 0;
        std::string message = Visca::nextMessage(bytes, from);
        unsigned int value = 0;
        if (!message.empty()) {
            if (!Visca::replyValue(message, p_nData, value)) {
                return false;
            }
            p_strData = oneByte(static_cast<int>(value));
            return true;
        }
        if (RegisterBytes::at(&byte, 0) == 0xFF) {
            return false;  // a frame ended with no reply in it (an echo of ours)
        }
    }
    return false;
}

// The value each controller family gives the video-standard register: 06
// and 08 (NTSC, PAL) on the Sony cameras and the CMD8100/8300, 0E and 11 on
// the CMD7300.
const char* viscaStandard(const std::string& p_strData) {
    int standard = RegisterBytes::at(p_strData.data(), 0);
    if (standard == 0x06 || standard == 0x08) {
        return "visca,visca-ack,cmd";
    }
    return standard == 0x0E || standard == 0x11 ? "cmd7300" : nullptr;
}

// Hex text: the day/night register every member polls, and the version.
template <int Register>
std::string hexTextRead() {
    return HexText::assembleString(HexText::assembleString(":R", Register, 4), 0, 2);
}

bool readHexText(ReplySource& p_source, const std::string& p_strRequest, int p_nData,
                 std::string& p_strData) {
    std::string answer(p_strRequest.size(), '\0');
    answer.resize(static_cast<size_t>(
        std::max(0, p_source.read(&answer[0], static_cast<int>(answer.size()), 0))));
    int value = 0;
    if (!HexText::answerValue(p_strRequest, answer, p_nData, value)) {
        return false;
    }
    p_strData = oneByte(value);
    return true;
}

// The register protocols, one byte read. Their registers were picked so that
// no byte of a request starts a frame of a protocol tried after it (03/04
// Seawolf, 07..20 the IT1 and ITN lengths).
template <int Category, int Address>
std::string effioRead() {
    char frame[6];
    return std::string(
        frame, static_cast<size_t>(EffioLink::readFrame(Category, Address, Address, frame)));
}

template <int Address>
std::string it1Read() {
    char frame[8];
    return std::string(frame, static_cast<size_t>(IT1Link::readFrame(Address, 1, frame)));
}

template <int Address>
std::string itnRead() {
    char frame[9];
    return std::string(frame, static_cast<size_t>(ITNLink::readFrame(Address, 1, frame)));
}

template <int Group, int Item>
std::string seawolfRead() {
    char frame[5];
    return std::string(frame, static_cast<size_t>(SeawolfLink::readFrame(Group, Item, frame)));
}

bool readEffio(ReplySource& p_source, const std::string&, int p_nData, std::string& p_strData) {
    char reply[EffioLink::MAX_DATA + 3] = {0};
    char data[EffioLink::MAX_DATA] = {0};
    int received = p_source.read(reply, p_nData + 3, 0);
    if (EffioLink::decodeReadReply(reply, received, p_nData, data) != EffioLink::DECODED) {
        return false;
    }
    p_strData.assign(data, static_cast<size_t>(p_nData));
    return true;
}

bool readIT1(ReplySource& p_source, const std::string&, int p_nData, std::string& p_strData) {
    char reply[IT1Link::MAX_REPLY] = {0};
    IT1Link::Failure failure;
    int length = IT1Link::receiveReply(p_source, reply, IT1Link::MAX_REPLY, failure);
    int value = 0;
    // One data byte asked: only a one-byte read reply answers it.
    if (length != 5 + p_nData || !IT1Link::replyValue(reply, length, value)) {
        return false;
    }
    p_strData = oneByte(value);
    return true;
}

bool readITN(ReplySource& p_source, const std::string&, int p_nData, std::string& p_strData) {
    char data[ITNLink::MAX_DATA] = {0};
    int length = 0;
    std::string error;
    if (ITNLink::receiveReply(p_source, data, ITNLink::MAX_DATA, length, error) != ITNLink::DATA ||
        length != p_nData) {
        return false;
    }
    p_strData.assign(data, static_cast<size_t>(length));
    return true;
}

bool readSeawolf(ReplySource& p_source, const std::string&, int p_nData, std::string& p_strData) {
    char data[SeawolfLink::MAX_DATA] = {0};
    int length = 0;
    if (SeawolfLink::receiveReply(p_source, data, SeawolfLink::MAX_DATA, length) !=
            SeawolfLink::DATA ||
        length == 0 || (p_nData > 0 && length != p_nData)) {
        return false;
    }
    p_strData.assign(data, static_cast<size_t>(length));
    return true;
}

// In the order tried: a module of each protocol ignores the requests of the
// protocols before its own, or answers them with nothing they take.
const Protocol kProtocols[] = {
    {"VISCA",
     false,
     {{"video standard (register 72)", viscaInquiry<0x24, 0x72>, 2},
      {"day/night state (02 night, 03 day)", viscaInquiry<0x01>, 1}},
     readVisca,
     "visca,visca-ack,cmd,cmd7300",
     viscaStandard},
    {"hex text",
     true,
     {{"day/night state (register FFE7)", hexTextRead<0xFFE7>, 2},
      {"version (register E1EE)", hexTextRead<0xE1EE>, 2}},
     readHexText,
     "hextext,hextext-compat,hextext-hitach,hextext-sc110n",
     nullptr},
    {"Effio",
     false,
     {{"mirror (register 06:49)", effioRead<0x06, 0x49>, 1},
      {"white balance (register 05:01)", effioRead<0x05, 0x01>, 1}},
     readEffio,
     "effio",
     nullptr},
    {"IT1",
     false,
     {{"mirror (register 1500)", it1Read<0x1500>, 1},
      {"day/night mode (register 0101)", it1Read<0x0101>, 1}},
     readIT1,
     "it1",
     nullptr},
    {"ITN",
     false,
     {{"gamma (register 1C0000)", itnRead<0x1C0000>, 1},
      {"white balance (register 170000)", itnRead<0x170000>, 1}},
     readITN,
     "itn",
     nullptr},
    {"Seawolf",
     false,
     {{"version (item 00:0F)", seawolfRead<0x00, 0x0F>, 0},
      {"video system (item 05:01)", seawolfRead<0x05, 0x01>, 1}},
     readSeawolf,
     "seawolf",
     nullptr},
};

std::string hexBytes(const std::string& p_strBytes) {
    return Visca::hexText(p_strBytes.data(), static_cast<int>(p_strBytes.size()));
}

std::vector<std::string> split(const std::string& p_strList) {
    std::vector<std::string> items;
    for (size_t start = 0; start <= p_strList.size();) {
        size_t end = std::min(p_strList.find(',', start), p_strList.size());
        items.push_back(p_strList.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

bool sameFraming(const SerialLineSettings& p_one, const SerialLineSettings& p_other) {
    return p_one.nDataBits == p_other.nDataBits && p_one.nParity == p_other.nParity &&
           (p_one.nStopBits == 2) == (p_other.nStopBits == 2);
}

}  // namespace

std::string lineText(const SerialLineSettings& p_line) {
    static const char kParity[] = {'N', 'O', 'E'};
    char text[48];
    std::snprintf(text, sizeof(text), "%d %d%c%d", p_line.nBaudRate, p_line.nDataBits,
                  p_line.nParity >= 0 && p_line.nParity <= 2 ? kParity[p_line.nParity] : '?',
                  p_line.nStopBits == 2 ? 2 : 1);
    return text;
}

std::string lineParameters(const SerialLineSettings& p_line) {
    char text[64];
    std::snprintf(text, sizeof(text), "%d,%d,%d,%d", p_line.nBaudRate, p_line.nDataBits,
                  p_line.nParity, p_line.nStopBits);
    return text;
}

std::vector<SerialLineSettings> LineProbe::lines(const std::vector<SerialLineSettings>& p_usual) {
    std::vector<int> rates;
    for (const SerialLineSettings& usual : p_usual) {
        rates.push_back(usual.nBaudRate);
    }
    rates.insert(rates.end(), std::begin(kUsualRates), std::end(kUsualRates));
    std::vector<SerialLineSettings> framings(1);  // 8N1
    framings.insert(framings.end(), p_usual.begin(), p_usual.end());
    framings.resize(framings.size() + 2);
    framings[framings.size() - 2].nParity = 2;
    framings.back().nParity = 1;

    std::vector<SerialLineSettings> lines;
    for (const SerialLineSettings& framing : framings) {
        for (int rate : rates) {
            SerialLineSettings line = framing;
            line.nBaudRate = rate;
            bool known =
                std::any_of(lines.begin(), lines.end(), [&](const SerialLineSettings& p_old) {
                    return p_old.nBaudRate == rate && sameFraming(p_old, line);
                });
            if (!known) {
                lines.push_back(line);
            }
        }
    }
    return lines;
}

int LineProbe::firstWaitMs(int p_nBaudRate) {
    return replyWait(p_nBaudRate, kTurnaroundMs) * kWaitStepMs;
}

int LineProbe::slowWaitMs(int p_nBaudRate) {
    return replyWait(p_nBaudRate, kSlowTurnaroundMs) * kWaitStepMs;
}

std::vector<std::string> LineProbe::protocols() {
    std::vector<std::string> names;
    for (const Protocol& protocol : kProtocols) {
        names.push_back(protocol.szName);
    }
    return names;
}

void LineProbe::drain(int p_nWait) {
    char bytes[64];
    for (int reads = 0;
         reads < 16 && m_port.read(m_nIndex, bytes, sizeof(bytes), reads == 0 ? p_nWait : 0) > 0;
         ++reads) {
        m_bHeardBytes = true;
    }
}

LineProbe::Heard LineProbe::ask(size_t p_nProtocol, int p_nRequest, int p_nWait,
                                bool p_bAgainOnSilence, std::string& p_strData,
                                ProbeResult& p_found) {
    const Protocol& protocol = kProtocols[p_nProtocol];
    const Request& request = protocol.requests[p_nRequest];
    const std::string frame = request.frame();
    Heard heard = NOTHING;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        drain();
        ++p_found.nRequests;
        if (m_port.write(m_nIndex, frame.data(), static_cast<int>(frame.size())) !=
            static_cast<int>(frame.size())) {
            return heard;
        }
        PortSource source(m_port, m_nIndex, p_nWait);
        bool decoded = protocol.read(source, frame, request.nData, p_strData);
        p_found.exchanges.push_back(ProbeExchange{frame, source.received()});
        m_bDrewSilence = m_bDrewSilence || source.received().empty();
        m_bHeardBytes = m_bHeardBytes || !source.received().empty();
        if (decoded) {
            return DECODED;
        }
        if (source.received().empty() && !p_bAgainOnSilence) {
            return heard;
        }
        heard = source.received().empty() ? heard : UNDECODED;
    }
    return heard;
}

ProbeResult::Outcome LineProbe::question(size_t p_nProtocol, int p_nWait, ProbeResult& p_found,
                                         bool& p_bNoise) {
    const Protocol& protocol = kProtocols[p_nProtocol];
    std::string first;
    Heard heard = ask(p_nProtocol, 0, p_nWait, false, first, p_found);
    p_bNoise = heard == UNDECODED;
    if (heard != DECODED) {
        return ProbeResult::SILENT;
    }
    const ProbeExchange answered = p_found.exchanges.back();
    std::string again;
    std::string second;
    Heard repeated = ask(p_nProtocol, 0, p_nWait, true, again, p_found);
    Heard other = ask(p_nProtocol, 1, p_nWait, true, second, p_found);
    const ProbeExchange& last = p_found.exchanges.back();
    // Hex text answers with the request's own text when the value is 00; only
    // a reply that differs from its request tells a module from an echo.
    bool echo = answered.strReceived == answered.strSent &&
                !(other == DECODED && last.strReceived != last.strSent);
    p_found.strProtocol = protocol.szName;
    p_found.bText = protocol.bText;
    p_found.strReading = std::string(protocol.requests[0].szWhat) + " = " + hexBytes(first);
    if (other == DECODED) {
        p_found.strReading +=
            "; " + std::string(protocol.requests[1].szWhat) + " = " + hexBytes(second);
    }
    const char* narrowed = protocol.narrow != nullptr ? protocol.narrow(first) : nullptr;
    p_found.kinds = split(narrowed != nullptr ? narrowed : protocol.szKinds);
    if (repeated == DECODED && again == first && !echo) {
        return ProbeResult::IDENTIFIED;
    }
    if (repeated == NOTHING && other == NOTHING && !echo) {
        return ProbeResult::UNRELIABLE;  // it answered, then fell silent
    }
    // One reply that decoded among others that did not, or an echo: chance.
    p_bNoise = true;
    return ProbeResult::SILENT;
}

ProbeResult::Outcome LineProbe::questionEach(const SerialLineSettings& p_line, int p_nWait,
                                             ProbeResult& p_result, ProbeResult& p_found) {
    for (size_t index = 0; index < std::size(kProtocols); ++index) {
        ProbeResult found;
        bool noise = false;
        ProbeResult::Outcome outcome = question(index, p_nWait, found, noise);
        p_result.nRequests += found.nRequests;
        if (noise && p_result.strNoiseAt.empty()) {
            p_result.strNoiseAt = lineText(p_line);
        }
        if (outcome != ProbeResult::SILENT) {
            p_found = found;
            return outcome;
        }
    }
    return ProbeResult::SILENT;
}

ProbeResult LineProbe::run(const std::vector<SerialLineSettings>& p_lines,
                           double p_dBudgetSeconds) {
    SteadyClock::time_point start = SteadyClock::now();
    auto seconds = [start] {
        return std::chrono::duration<double>(SteadyClock::now() - start).count();
    };
    ProbeResult result;
    for (const SerialLineSettings& line : p_lines) {
        if (seconds() >= p_dBudgetSeconds) {
            break;
        }
        ++result.nLinesTried;
        if (!m_port.setParameter(m_nIndex, line.nBaudRate, line.nDataBits, line.nStopBits,
                                 line.nParity)) {
            continue;  // a rate the port does not have
        }
        m_bDrewSilence = false;
        m_bHeardBytes = false;
        const int wait = replyWait(line.nBaudRate, kTurnaroundMs);
        ProbeResult found;
        ProbeResult::Outcome outcome = questionEach(line, wait, result, found);
        if (outcome != ProbeResult::IDENTIFIED && m_bDrewSilence) {
            // A slow module's reply to the last request may still be on its
            // way.
            const int slowWait = replyWait(line.nBaudRate, kSlowTurnaroundMs);
            drain(slowWait - wait);
            if (m_bHeardBytes) {
                // Perhaps a module slower than the first wait, whose late
                // replies were taken for silence and for other protocols'.
                ProbeResult slow;
                ProbeResult::Outcome again = questionEach(line, slowWait, result, slow);
                // A module that answered once at the first wait stays
                // unreliable unless the longer wait identifies one.
                if (again == ProbeResult::IDENTIFIED || outcome == ProbeResult::SILENT) {
                    outcome = again;
                    found = slow;
                }
            }
        }
        if (outcome != ProbeResult::SILENT) {
            found.eOutcome = outcome;
            found.line = line;
            found.nLinesTried = result.nLinesTried;
            found.nRequests = result.nRequests;
            found.dSeconds = seconds();
            return found;
        }
    }
    result.dSeconds = seconds();
    return result;
}
