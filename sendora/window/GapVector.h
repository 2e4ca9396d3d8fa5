#pragma once

#include <QtGlobal>
#include <algorithm>
#include <vector>

// A sequence in one array with a gap at the last insertion point. A listing
// inserts its directories one after another at a point inside the list and
// appends its files: both are cheap here, where an array would move every
// file for every directory (hours for a listing a hostile server makes of a
// million entries). Appending does not move the gap. Element addresses change
// with every insertion: hold pointers to what must stay put.
template <typename T> class GapVector
{
public:
    qsizetype size() const { return qsizetype(items_.size()) - gapLength_; }
    bool isEmpty() const { return size() == 0; }

    T& operator[](qsizetype index) { return items_[physical(index)]; }
    const T& operator[](qsizetype index) const { return items_[physical(index)]; }

    // Room for count elements and a gap, so that filling them moves nothing.
    void reserve(qsizetype count) { items_.reserve(size_t(count + gapLength_ + gapFor(count))); }

    void clear()
    {
        std::vector<T>().swap(items_);
        gapStart_ = 0;
        gapLength_ = 0;
    }

    // A new default element at position (0..size()).
    T& insert(qsizetype position)
    {
        if (position >= size()) {
            // Behind the gap, which stays where it is, unless the gap is at the end.
            if (gapLength_ == 0 || gapStart_ + gapLength_ < qsizetype(items_.size()))
                return items_.emplace_back();
        } else if (gapLength_ == 0) {
            openGap(position);
        }
        moveGap(position);
        ++gapStart_;
        --gapLength_;
        T& item = items_[size_t(position)];
        item = T(); // the slot held an element moved away
        return item;
    }

private:
    static constexpr qsizetype kMinGap = 16;

    static qsizetype gapFor(qsizetype count) { return std::max(kMinGap, count / 8); }

    qsizetype physical(qsizetype index) const { return index < gapStart_ ? index : index + gapLength_; }

    void openGap(qsizetype position)
    {
        // In proportion to the size, so that the moves it costs are paid
        // back by as many cheap insertions.
        const qsizetype length = gapFor(size());
        const qsizetype old = qsizetype(items_.size());
        items_.resize(size_t(old + length));
        std::move_backward(items_.begin() + position, items_.begin() + old, items_.end());
        gapStart_ = position;
        gapLength_ = length;
    }

    void moveGap(qsizetype position)
    {
        auto base = items_.begin();
        if (position < gapStart_)
            std::move_backward(base + position, base + gapStart_, base + gapStart_ + gapLength_);
        else if (position > gapStart_)
            std::move(base + gapStart_ + gapLength_, base + position + gapLength_, base + gapStart_);
        gapStart_ = position;
    }

    std::vector<T> items_;
    qsizetype gapStart_ = 0;
    qsizetype gapLength_ = 0;
};
