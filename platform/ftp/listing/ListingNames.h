#pragma once

#include "platform/ftp/FtpEntry.h"
#include "platform/ftp/listing/ListingValues.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace FtpListing {

// The names of one listing's entries. A name usually takes two allocations
// (its bytes and its text), which in a long listing cost more than reading
// the rest of the line. Plain ASCII names, nearly all names there are, are
// written one after another into shared blocks instead: each is an ordinary
// QByteArray and QString holding a reference to its block, and a block goes
// with the last name in it (a name kept alone keeps its block, at most
// kBlockUnits characters). Other names are decoded as namedEntry() does.
class ListingNames
{
public:
    explicit ListingNames(FtpNameEncoding encoding) : encoding_(encoding) {}
    ListingNames(const ListingNames&) = delete;
    ListingNames& operator=(const ListingNames&) = delete;

    FtpNameEncoding encoding() const { return encoding_; }

    // Sets the entry's rawName and name as namedEntry(rawName, encoding())
    // does; kind is classifyName(rawName), never Unusable.
    void name(FtpEntry& entry, QByteArrayView rawName, NameBytes kind);

private:
    static constexpr qsizetype kBlockUnits = 8192;

    // Uses the same reference-counted storage as QString and QByteArray, so
    // that their copies, changes and releases work on these names unchanged.
    template <typename T> class Block
    {
    public:
        Block() = default;
        Block(const Block&) = delete;
        Block& operator=(const Block&) = delete;
        ~Block() { release(); }

        // Room for size units and a terminating zero, filled by write(T*).
        template <typename Write> QArrayDataPointer<T> add(qsizetype size, Write write)
        {
            if (free_ < size + 1)
                renew(size + 1);
            T* const at = next_;
            write(at);
            at[size] = T(0);
            next_ += size + 1;
            free_ -= size + 1;
            ++handedOut_;
            return QArrayDataPointer<T>(header_, at, size);
        }

    private:
        void renew(qsizetype least)
        {
            release();
            const auto fresh = QTypedArrayData<T>::allocate(qMax(kBlockUnits, least));
            header_ = fresh.first;
            next_ = fresh.second;
            free_ = header_->alloc;
            // A locked increment per name stalls on the stores before it;
            // the block is counted as referenced by as many names as it can
            // hold, and the unused part of that count is given back at once
            // when the block is left.
            reserved_ = int(free_);
            handedOut_ = 0;
            header_->ref_.storeRelaxed(1 + reserved_);
        }
        void release()
        {
            if (!header_)
                return;
            const int dropped = 1 + reserved_ - handedOut_;
            if (header_->ref_.fetchAndAddOrdered(-dropped) == dropped)
                QTypedArrayData<T>::deallocate(header_);
            header_ = nullptr;
            free_ = 0;
        }

        QTypedArrayData<T>* header_ = nullptr;
        T* next_ = nullptr;
        qsizetype free_ = 0;
        int reserved_ = 0;  // names the block's count was raised for
        int handedOut_ = 0; // names given out of the block so far
    };

    FtpNameEncoding encoding_;
    Block<char> bytes_;
    Block<char16_t> text_;
};

} // namespace FtpListing
