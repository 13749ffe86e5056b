#pragma once
// The transmitter collection behind the exported class: an ordered, optionally keyed list of
// transmitters with one active transmitter, the device servers of the three families, their
// start-up, save and load to a settings-file section, and the entry points of the windows.
//
// Failures: Add, Item and ActiveTxm absorb every failure and answer with null; Remove,
// Initialize, Save, Load, ShowWizard, Edit and the property puts let an outside failure reach
// the caller, keeping what was done before it.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/Collection.h"
#include "support/OrderedCollection.h"
#include "support/Product.h"
#include "support/Signal.h"
#include "support/Value.h"
#include "support/VbBool.h"

namespace vq {

class Txms;

/// What a transmitter receives as its Parent when no outside identity was given: it names the
/// collection without keeping it alive. The collection clears it when it dies.
class CollectionIdentity : public PassThrough {
  public:
    explicit CollectionIdentity(Txms* collection) : Collection(collection) {}
    Txms* Collection;
};

class Txms final : public TransmitterCollection, public std::enable_shared_from_this<Txms> {
  public:
    Txms();
    ~Txms() override;
    Txms(const Txms&) = delete;
    Txms& operator=(const Txms&) = delete;

    /// Through the keeper when one is set, else a share of the shared_ptr that owns the
    /// collection; throws Failure when there is neither.
    CollectionRef Counted() override;
    /// For an owner that does not hold the collection in a shared_ptr (the automation layer):
    /// the keeper returns a handle that keeps the owner, and with it the collection, alive
    /// while held.
    void SetKeeper(std::function<std::shared_ptr<void>()> keeper) { m_Keeper = std::move(keeper); }

    // The collection.
    TransmitterRef Add(const Value& indexKey, int32_t txmType, int16_t address, int16_t comPort,
                       const std::string& comSettings, int32_t protocol, const std::string& name,
                       VbBool autoConnect, VbBool silent = VbFalse) override;
    TransmitterRef ActiveTxm() override;
    /// Stores vData when it names an entry, else 1 (0 when empty); then tells the registry.
    void SetActiveTxmIndex(int16_t vData) override;
    int16_t ActiveTxmIndex() const override { return m_ActiveTxmIndex; }
    TransmitterRef Item(const Value& vntIndexKey) override;
    int32_t Count() const override { return m_Txms.Count(); }
    void Remove(const Value& vntIndexKey) override;
    std::vector<TransmitterRef> Transmitters() const override { return m_Txms.Items(); }
    /// The list with its keys, for enumeration by the automation layer.
    const OrderedCollection<TransmitterRef>& List() const { return m_Txms; }
    void Clear() override;
    std::string GetNextTxmName() override;

    // Start-up and properties.
    /// Installs the device servers of families 1 to 3; their number, or -n when family n
    /// refuses its settings, or -(1024 + n) when it cannot install its communication.
    int16_t Initialize(const std::string& path, const std::shared_ptr<HostObject>& host,
                       PassThroughRef& comHistory);
    OrderedCollection<DeviceServerRef>& Servers() override { return m_Servers; }
    std::string ComponentVersion();
    const std::string& IniFilePath() const { return m_IniFilePath; }
    void SetIniFilePath(const std::string& path) { m_IniFilePath = path; }
    VbBool OffLine() const { return m_OffLine; }
    void SetOffLine(VbBool offLine);
    int32_t Historian() const { return m_Historian; }
    void SetHistorian(int32_t historian);
    /// Raised with the Info of every device server's OnUnitSychronized.
    Signal<std::string&>& OnTxmSync() { return m_OnTxmSync; }

    // Persistence.
    /// Writes all transmitters (index key -1 or omitted) or the one at a position under the
    /// keys TXM1, TXM2, ...; true when every write succeeded.
    VbBool Save(const std::string& fileName, const std::string& section,
                const Value& indexKey = Value::Missing()) override;
    /// Appends the transmitters stored under TXM1, TXM2, ... up to the first missing key; the
    /// number of them that connected when autoConnect is set.
    int16_t Load(const std::string& fileName, const std::string& section,
                 const Value& indexKey = Value::Missing(), VbBool autoConnect = VbFalse) override;

    // Windows.
    int16_t ShowWizard();
    VbBool Edit(const TransmitterRef& txm) override;

    /// What transmitters receive as Parent: by default a CollectionIdentity; the automation
    /// layer replaces it with the collection's outside object.
    const PassThroughRef& Identity() const { return m_Identity; }
    void SetIdentity(PassThroughRef identity) { m_Identity = std::move(identity); }

  private:
    int16_t InstallFamily(int32_t family, std::shared_ptr<PathSplitter>& splitter,
                          const std::shared_ptr<HostObject>& host, PassThroughRef& comHistory);
    /// The position a number names; throws Failure when it names no entry.
    int64_t PositionOf(const Value& vntIndex) const;
    TransmitterRef Lookup(const Value& vntIndexKey) const;

    OrderedCollection<TransmitterRef> m_Txms;
    OrderedCollection<DeviceServerRef> m_Servers;
    int16_t m_ActiveTxmIndex = 0;
    std::string m_IniFilePath;
    VbBool m_OffLine = VbFalse;
    int32_t m_Historian = 2;
    Signal<std::string&> m_OnTxmSync;
    Connection m_ZandorSyncEvents;
    Connection m_PelxSyncEvents;
    Connection m_QuorraSyncEvents;
    std::shared_ptr<CollectionIdentity> m_OwnIdentity;
    PassThroughRef m_Identity;
    std::function<std::shared_ptr<void>()> m_Keeper;
};

}  // namespace vq
