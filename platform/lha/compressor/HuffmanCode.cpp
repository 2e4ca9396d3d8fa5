#include "platform/lha/compressor/HuffmanCode.h"

#include <algorithm>
#include <queue>
#include <vector>

namespace HuffmanCode {

namespace {

// Depths of the leaves of an unrestricted Huffman tree over the used symbols.
void treeDepths(const std::uint32_t* freq, const std::vector<int>& used, std::vector<int>& depth)
{
    struct Node
    {
        std::uint64_t weight;
        int index;
    };
    auto heavier = [](const Node& a, const Node& b) {
        return a.weight != b.weight ? a.weight > b.weight : a.index > b.index;
    };
    std::priority_queue<Node, std::vector<Node>, decltype(heavier)> heap(heavier);
    const int leaves = int(used.size());
    std::vector<int> parent(2 * leaves, -1);
    for (int i = 0; i < leaves; ++i)
        heap.push({freq[used[i]], i});
    int next = leaves;
    while (heap.size() > 1) {
        Node a = heap.top();
        heap.pop();
        Node b = heap.top();
        heap.pop();
        parent[a.index] = next;
        parent[b.index] = next;
        heap.push({a.weight + b.weight, next});
        ++next;
    }
    // Parents are numbered after their children, so walking down from the root fills depths in one pass.
    std::vector<int> nodeDepth(next, 0);
    for (int n = next - 2; n >= 0; --n)
        nodeDepth[n] = nodeDepth[parent[n]] + 1;
    depth.assign(nodeDepth.begin(), nodeDepth.begin() + leaves);
}

} // namespace

int buildLengths(const std::uint32_t* freq, int count, std::uint8_t* lengths)
{
    std::fill(lengths, lengths + count, std::uint8_t(0));
    std::vector<int> used;
    for (int i = 0; i < count; ++i)
        if (freq[i] != 0)
            used.push_back(i);
    if (used.size() < 2)
        return int(used.size());

    std::vector<int> depth;
    treeDepths(freq, used, depth);

    // Clamp to kMaxBits, then repair the Kraft sum by lengthening codes until the tree is complete again.
    int perLength[kMaxBits + 1] = {};
    for (int d : depth)
        ++perLength[std::min(d, kMaxBits)];
    std::uint32_t kraft = 0;
    for (int len = 1; len <= kMaxBits; ++len)
        kraft += std::uint32_t(perLength[len]) << (kMaxBits - len);
    while (kraft > (1u << kMaxBits)) {
        --perLength[kMaxBits];
        for (int len = kMaxBits - 1; len > 0; --len) {
            if (perLength[len] != 0) {
                --perLength[len];
                perLength[len + 1] += 2;
                break;
            }
        }
        --kraft;
    }

    // The most frequent symbols take the shortest lengths.
    std::vector<int> order = used;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return freq[a] > freq[b]; });
    std::size_t k = 0;
    for (int len = 1; len <= kMaxBits; ++len)
        for (int n = 0; n < perLength[len]; ++n)
            lengths[order[k++]] = std::uint8_t(len);
    return int(used.size());
}

void buildCodes(const std::uint8_t* lengths, int count, std::uint16_t* codes)
{
    int perLength[kMaxBits + 2] = {};
    for (int i = 0; i < count; ++i)
        ++perLength[lengths[i]];
    perLength[0] = 0;
    std::uint32_t start[kMaxBits + 2] = {};
    for (int len = 1; len <= kMaxBits; ++len)
        start[len + 1] = (start[len] + perLength[len]) << 1;
    for (int i = 0; i < count; ++i)
        codes[i] = lengths[i] ? std::uint16_t(start[lengths[i]]++) : 0;
}

} // namespace HuffmanCode
