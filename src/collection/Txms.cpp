#include "Txms.h"

#include <optional>

#include "WindowOpening.h"
#include "support/Failure.h"
#include "support/Texts.h"
#include "support/ThreadContext.h"

namespace vq {

namespace {

// Runs one step whose failure must not stop the operation around it.
template <class Step>
void Absorb(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

std::shared_ptr<TransmitterRegistry> Registry() {
    std::shared_ptr<TransmitterRegistry> registry = Service()->Registry();
    if (!registry)
        throw Failure(Codes::ObjectRequired, "The transmitter registry is not available");
    return registry;
}

// A 16-bit Boolean read as the automation language's bitwise Not and And do: "not silent" is
// any value but -1, "silent and auto-connect" is any pair sharing a set bit.
bool BitwiseNot(VbBool b) {
    return static_cast<int16_t>(~b.Value) != 0;
}
bool BitwiseAnd(VbBool a, VbBool b) {
    return (a.Value & b.Value) != 0;
}

// The key an index key stands for: nothing for "" and Empty, the text for other text.
// Throws for values that cannot be keys (numbers, Null, objects, ...).
std::optional<std::string> KeyOf(const Value& indexKey) {
    if (indexKey.IsEmpty()) return std::nullopt;
    if (!indexKey.IsText())
        throw Failure(Codes::TypeMismatch,
                      "Type mismatch: " + indexKey.Describe() + " is not a key");
    if (indexKey.Text().empty()) return std::nullopt;
    return indexKey.Text();
}

std::string StoredKey(int32_t position) {
    return "TXM" + std::to_string(position);
}

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    if (separator.empty()) {
        parts.push_back(text);
        return parts;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string::npos) break;
        parts.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
    parts.push_back(text.substr(start));
    return parts;
}

// Which entries Save writes: -1 (and an omitted index key) means all, a position means that
// one. Compared as numbers; text that reads as a number counts as that number.
std::optional<double> SaveSelection(const Value& indexKey) {
    if (indexKey.IsMissing()) return -1.0;
    if (indexKey.IsNull()) return std::nullopt;  // Null equals nothing
    if (std::optional<double> number = indexKey.NumericValue()) return number;
    throw Failure(Codes::TypeMismatch, "Type mismatch: the index key of Save is " +
                                           indexKey.Describe() +
                                           "; give -1 for all transmitters or a position");
}

std::string PadNumber(int32_t number, std::size_t digits) {
    std::string text = std::to_string(number < 0 ? -number : number);
    if (text.size() < digits) text.insert(0, digits - text.size(), '0');
    return number < 0 ? "-" + text : text;
}

}  // namespace

Txms::Txms()
    : m_OwnIdentity(std::make_shared<CollectionIdentity>(this)), m_Identity(m_OwnIdentity) {}

Txms::~Txms() {
    m_Txms.Clear();
    while (!m_Servers.Empty()) m_Servers.RemoveAt(1);
    m_ZandorSyncEvents.Reset();
    m_PelxSyncEvents.Reset();
    m_QuorraSyncEvents.Reset();
    m_OwnIdentity->Collection = nullptr;
}

CollectionRef Txms::Counted() {
    if (m_Keeper) return CollectionRef(m_Keeper(), this);
    if (std::shared_ptr<Txms> self = weak_from_this().lock()) return self;
    throw Failure(Codes::Unexpected,
                  "The transmitter collection has no owner that counts references to it");
}

// ---- The collection

TransmitterRef Txms::Add(const Value& indexKey, int32_t txmType, int16_t address, int16_t comPort,
                         const std::string& comSettings, int32_t protocol, const std::string& name,
                         VbBool autoConnect, VbBool silent) {
    TransmitterRef txm;
    DeviceServerRef server;
    try {
        txm = Product().CreateTransmitter();
        server = m_Servers.At(txmType);
    } catch (...) {
        return nullptr;
    }
    if (!txm) return nullptr;

    Absorb([&] { txm->SetServer(server); });
    Absorb([&] { txm->SetTxmType(txmType); });
    Absorb([&] { txm->SetAddress(address); });
    Absorb([&] { txm->SetComPort(comPort); });
    Absorb([&] { txm->SetComSettings(comSettings); });
    Absorb([&] { txm->SetProtocol(protocol); });
    Absorb([&] { txm->SetName(name); });
    Absorb([&] { txm->SetIndex(Value(Count() + 1).ToInt16()); });
    Absorb([&] { txm->SetParent(m_Identity); });

    try {
        if (BitwiseNot(silent) && !ShowTxmDialog(txm, this, VbFalse).IsNonZero()) return nullptr;
        const std::optional<std::string> key = KeyOf(indexKey);
        if (key)
            m_Txms.Add(txm, *key);
        else
            m_Txms.Add(txm);
    } catch (...) {
        return nullptr;
    }

    if (BitwiseAnd(silent, autoConnect)) Absorb([&] { txm->Connect(VbTrue); });
    Absorb([&] { Registry()->TxmAdded(txm); });
    Absorb([&] { SetActiveTxmIndex(txm->Index()); });
    return txm;
}

TransmitterRef Txms::ActiveTxm() {
    if (m_ActiveTxmIndex < 1 || m_ActiveTxmIndex > Count()) return nullptr;
    return m_Txms.At(m_ActiveTxmIndex);
}

void Txms::SetActiveTxmIndex(int16_t vData) {
    if (vData >= 1 && vData <= Count())
        m_ActiveTxmIndex = vData;
    else
        m_ActiveTxmIndex = Count() >= 1 ? 1 : 0;
    Registry()->TxmActivated(ActiveTxm());
}

int64_t Txms::PositionOf(const Value& vntIndex) const {
    if (!vntIndex.IsNumber())
        throw Failure(Codes::TypeMismatch,
                      "Type mismatch: " + vntIndex.Describe() + " is neither a position nor a key");
    const double position = RoundHalfEven(*vntIndex.NumericValue());
    if (!(position >= 1 && position <= Count()))
        throw Failure(Codes::SubscriptOutOfRange,
                      "Subscript out of range: there is no transmitter at position " +
                          Value(position).ToText() + " of " + std::to_string(Count()));
    return static_cast<int64_t>(position);
}

TransmitterRef Txms::Lookup(const Value& vntIndexKey) const {
    if (vntIndexKey.IsText()) return m_Txms.At(vntIndexKey.Text());
    return m_Txms.At(PositionOf(vntIndexKey));
}

TransmitterRef Txms::Item(const Value& vntIndexKey) {
    try {
        return Lookup(vntIndexKey);
    } catch (...) {
        return nullptr;
    }
}

void Txms::Remove(const Value& vntIndexKey) {
    const TransmitterRef txm = Lookup(vntIndexKey);
    const int16_t formerIndex = txm->Index();
    for (const std::shared_ptr<Attachment>& attachment : txm->Attachments()) {
        if (!attachment)
            throw Failure(Codes::ObjectNotSet,
                          "Object variable not set: an attachment of the transmitter is Nothing");
        attachment->Detach();
    }
    // The entry the index or key names now, even if a Detach changed the list.
    if (vntIndexKey.IsText())
        m_Txms.Remove(vntIndexKey.Text());
    else
        m_Txms.RemoveAt(PositionOf(vntIndexKey));
    for (int32_t i = 1; i <= Count(); ++i) m_Txms.At(i)->SetIndex(static_cast<int16_t>(i));
    Registry()->TxmRemoved(formerIndex);
    SetActiveTxmIndex(Count() > 0 ? 1 : 0);
}

void Txms::Clear() {
    // Releases the entries from the first to the last, as removing position 1 repeatedly
    // would, without moving the rest of the list each time.
    m_Txms.Clear();
}

std::string Txms::GetNextTxmName() {
    const int32_t number = ThisThread().NextUntitledNumber();
    return GetText(312) + std::to_string(number);
}

// ---- Start-up and properties

int16_t Txms::Initialize(const std::string& path, const std::shared_ptr<HostObject>& host,
                         PassThroughRef& comHistory) {
    m_IniFilePath = path;
    std::shared_ptr<PathSplitter> splitter;
    for (int32_t family = 1; family <= 3; ++family) {
        const int16_t code = InstallFamily(family, splitter, host, comHistory);
        if (code != 0) return code;
    }
    return static_cast<int16_t>(m_Servers.Count());
}

int16_t Txms::InstallFamily(int32_t family, std::shared_ptr<PathSplitter>& splitter,
                            const std::shared_ptr<HostObject>& host, PassThroughRef& comHistory) {
    const DeviceServerRef server = Product().CreateDeviceServer(family);
    if (!server)
        throw Failure(Codes::CannotCreateObject,
                      "The device server of family " + std::to_string(family) + " was not created");
    const std::shared_ptr<SharedService> service = Service();
    Registry()->TypeInstalled(server->TypeName());

    if (!splitter) splitter = Product().CreatePathSplitter();
    if (!splitter) throw Failure(Codes::CannotCreateObject, "No path splitter was created");
    splitter->SetFolder(m_IniFilePath);
    std::shared_ptr<LanguageObject> language = service->Language();
    if (!language) throw Failure(Codes::ObjectRequired, "The language object is not available");
    splitter->SetSubFolder(language->ResourcesText());
    splitter->SetFileName(service->ServerSettingName(family));
    if (!server->LoadSettings(splitter->FullName()).EqualsTrue())
        return static_cast<int16_t>(-family);

    if (!host) throw Failure(Codes::ObjectRequired, "Object required: no host object was given");
    Value installed;
    if (family == 3) {
        const PassThroughRef hart = host->ActiveHART1();
        installed = server->InstallComm(hart, comHistory);
    } else {
        const PassThroughRef misc = host->ComMisc();
        const PassThroughRef modem = host->ComModem();
        installed = server->InstallComm(misc, modem, comHistory);
    }
    if (!installed.EqualsTrue()) return static_cast<int16_t>(-(1024 + family));

    m_Servers.Add(server);
    Connection events =
        server->OnUnitSychronized().Connect([this](std::string& info) { m_OnTxmSync.Raise(info); });
    if (family == 1) m_ZandorSyncEvents = std::move(events);
    if (family == 2) m_PelxSyncEvents = std::move(events);
    if (family == 3) m_QuorraSyncEvents = std::move(events);
    return 0;
}

std::string Txms::ComponentVersion() {
    const ModuleInfo& module = Module();
    const std::string separator = Service()->ListSeparator();
    return module.FileTitle + ".dll" + separator + std::to_string(module.Major) + "." +
           PadNumber(module.Minor, 2) + "." + PadNumber(module.Revision, 4) + separator +
           module.Comments + separator;
}

void Txms::SetOffLine(VbBool offLine) {
    m_OffLine = offLine;
    for (const TransmitterRef& txm : m_Txms.Items()) txm->SetOffLine(offLine);
}

void Txms::SetHistorian(int32_t historian) {
    m_Historian = historian;
    for (const TransmitterRef& txm : m_Txms.Items()) txm->SetHistorian(historian);
}

// ---- Persistence

VbBool Txms::Save(const std::string& fileName, const std::string& section, const Value& indexKey) {
    const std::optional<double> selection = SaveSelection(indexKey);
    const bool all = selection && *selection == -1.0;
    const std::shared_ptr<SharedService> service = Service();
    if (all) service->ClearSection(fileName, section);

    VbBool result = VbTrue;
    const int32_t n = Count();
    const std::string separator = service->ListSeparator();
    for (int32_t i = 1; i <= n; ++i) {
        const TransmitterRef txm = m_Txms.At(i);
        if (!txm) continue;
        if (!all && !(selection && *selection == i)) continue;
        std::string value;
        value += txm->Name() + separator;
        value += std::to_string(txm->Address()) + separator;
        value += std::to_string(txm->TxmType()) + separator;
        value += std::to_string(txm->ComPort()) + separator;
        value += txm->ComSettings() + separator;
        value += std::to_string(txm->Protocol()) + separator;
        const VbBool written = service->WriteSetting(fileName, section, StoredKey(i), value);
        result = VbBool(static_cast<int16_t>(result.Value & written.Value));
    }
    return result;
}

int16_t Txms::Load(const std::string& fileName, const std::string& section, const Value&,
                   VbBool autoConnect) {
    const std::shared_ptr<SharedService> service = Service();
    const std::string separator = service->ListSeparator();
    int16_t connected = 0;
    for (int32_t i = 1;; ++i) {
        const std::string key = StoredKey(i);
        const std::string value = service->ReadSetting(fileName, section, key, "");
        if (value.empty()) return connected;

        const std::vector<std::string> parts = Split(value, separator);
        const std::string where = key + " of section \"" + section + "\" in \"" + fileName + "\"";
        if (parts.size() < 6)
            throw Failure(Codes::SubscriptOutOfRange,
                          where + " holds " + std::to_string(parts.size()) +
                              " fields where six are needed: " + Quoted(value));
        const auto field = [&](std::size_t k) -> int16_t {
            try {
                return service->ToInteger(Value(parts[k]));
            } catch (const Failure& failure) {
                throw Failure(failure.Code(), where + ", field " + std::to_string(k) + " " +
                                                  Quoted(parts[k]) + ": " + failure.Description());
            }
        };
        const int16_t address = field(1);
        const int16_t txmType = field(2);
        const int16_t comPort = field(3);
        const int16_t protocol = field(5);

        const TransmitterRef txm = Add(Value(""), txmType, address, comPort, parts[4], protocol,
                                       parts[0], VbFalse, VbTrue);
        if (txm && autoConnect.IsNonZero() && txm->Connect(VbFalse).IsNonZero()) ++connected;
    }
}

// ---- Windows

int16_t Txms::ShowWizard() {
    return ShowTxmsDialog(this);
}

VbBool Txms::Edit(const TransmitterRef& txm) {
    return ShowTxmDialog(txm, this, VbTrue);
}

}  // namespace vq
