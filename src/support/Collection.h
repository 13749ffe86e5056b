#pragma once
// The transmitter collection as the windows see it: the members of the component's default
// interface that the add/edit dialog and the list window use. The collection class implements
// it; the windows depend on this interface only, so they sit below the collection.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "OrderedCollection.h"
#include "Product.h"
#include "Value.h"
#include "VbBool.h"

namespace vq {

class TransmitterCollection;
/// A counted reference to a collection: while one is held, the collection (and whatever
/// outside object stands for it) stays alive.
using CollectionRef = std::shared_ptr<TransmitterCollection>;

class TransmitterCollection {
  public:
    virtual ~TransmitterCollection() = default;

    /// A counted reference to this collection, as a window keeps from its Install to its final
    /// unload. Throws Failure when the collection's owner cannot count references to it.
    virtual CollectionRef Counted() = 0;

    /// The new transmitter, or null when none was added (every failure is absorbed).
    virtual TransmitterRef Add(const Value& indexKey, int32_t txmType, int16_t address,
                               int16_t comPort, const std::string& comSettings, int32_t protocol,
                               const std::string& name, VbBool autoConnect,
                               VbBool silent = VbFalse) = 0;
    /// The active transmitter, or null.
    virtual TransmitterRef ActiveTxm() = 0;
    virtual void SetActiveTxmIndex(int16_t index) = 0;
    virtual int16_t ActiveTxmIndex() const = 0;
    /// The transmitter at a position (number) or under a key (text), or null.
    virtual TransmitterRef Item(const Value& indexKey) = 0;
    virtual int32_t Count() const = 0;
    /// Throws Failure when the position or key names no entry.
    virtual void Remove(const Value& indexKey) = 0;
    /// The transmitters in position order.
    virtual std::vector<TransmitterRef> Transmitters() const = 0;
    /// The device-server list itself; position n holds the server of type n.
    virtual OrderedCollection<DeviceServerRef>& Servers() = 0;
    virtual VbBool Edit(const TransmitterRef& txm) = 0;
    virtual VbBool Save(const std::string& fileName, const std::string& section,
                        const Value& indexKey = Value::Missing()) = 0;
    virtual int16_t Load(const std::string& fileName, const std::string& section,
                         const Value& indexKey = Value::Missing(),
                         VbBool autoConnect = VbFalse) = 0;
    virtual std::string GetNextTxmName() = 0;
    virtual void Clear() = 0;
};

}  // namespace vq
