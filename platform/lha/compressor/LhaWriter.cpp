#include "platform/lha/compressor/LhaWriter.h"

#include "platform/lha/compressor/PreparedMember.h"

#include <QFile>
#include <QIODevice>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

bool fail(QString* error, const QString& message)
{
    if (error)
        *error = message;
    return false;
}

struct Slot
{
    std::unique_ptr<PreparedMember> member;
    QString error;
    bool done = false;
};

// Workers take members in list order and never run more than a few members ahead of the writer, so finished
// but unwritten members stay few (each keeps at most a few MiB in memory, the rest in a temporary file).
class BatchCompressor
{
public:
    BatchCompressor(const QList<LhaMemberSource>& members, const LhaWriteOptions& options, int threads)
        : m_members(members), m_options(options), m_slots(std::size_t(members.size())),
          m_aheadLimit(qsizetype(threads) * 2)
    {
        for (int i = 0; i < threads; ++i)
            m_workers.emplace_back([this] { work(); });
    }

    ~BatchCompressor()
    {
        {
            std::lock_guard lock(m_mutex);
            m_cancelled = true;
        }
        m_changed.notify_all();
        for (std::thread& t : m_workers)
            t.join();
    }

    // Waits for member `index`; false with its error when it could not be prepared.
    std::unique_ptr<PreparedMember> take(qsizetype index, QString* error)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_slots[std::size_t(index)].done; });
        Slot& slot = m_slots[std::size_t(index)];
        m_written = index + 1;
        m_changed.notify_all();
        if (!slot.member && error)
            *error = slot.error;
        return std::move(slot.member);
    }

private:
    void work()
    {
        for (;;) {
            qsizetype index;
            {
                std::unique_lock lock(m_mutex);
                m_changed.wait(lock, [&] { return m_cancelled || m_next - m_written < m_aheadLimit; });
                if (m_cancelled || m_next >= m_members.size())
                    return;
                index = m_next++;
            }
            QString error;
            std::unique_ptr<PreparedMember> member = prepare(m_members[index], &error);
            {
                std::lock_guard lock(m_mutex);
                Slot& slot = m_slots[std::size_t(index)];
                slot.member = std::move(member);
                slot.error = error;
                slot.done = true;
            }
            m_changed.notify_all();
        }
    }

    std::unique_ptr<PreparedMember> prepare(const LhaMemberSource& source, QString* error)
    {
        auto member = std::make_unique<PreparedMember>();
        if (source.info.isDirectory) {
            if (!member->prepareDirectory(source.info, m_options, error))
                return nullptr;
            return member;
        }
        auto file = std::make_unique<QFile>(source.localPath);
        if (!file->open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("%1: %2").arg(source.localPath, file->errorString());
            return nullptr;
        }
        if (!member->prepare(*file, file->size(), source.info, m_options, error)) {
            *error = QStringLiteral("%1: %2").arg(source.localPath, *error);
            return nullptr;
        }
        member->keepInput(std::move(file));
        return member;
    }

    const QList<LhaMemberSource>& m_members;
    const LhaWriteOptions m_options;
    std::vector<Slot> m_slots;
    const qsizetype m_aheadLimit;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    qsizetype m_next = 0;
    qsizetype m_written = 0;
    bool m_cancelled = false;
    std::vector<std::thread> m_workers;
};

} // namespace

namespace LhaWriter {

bool writeMember(QIODevice& in, qint64 size, const LhaMemberInfo& info, const LhaWriteOptions& options,
                 QIODevice& out, QString* error)
{
    PreparedMember member;
    if (info.isDirectory)
        return member.prepareDirectory(info, options, error) && member.writeTo(out, error);
    return member.prepare(in, size, info, options, error) && member.writeTo(out, error);
}

bool writeDirectory(const LhaMemberInfo& info, const LhaWriteOptions& options, QIODevice& out, QString* error)
{
    PreparedMember member;
    return member.prepareDirectory(info, options, error) && member.writeTo(out, error);
}

bool writeMembers(const QList<LhaMemberSource>& members, const LhaWriteOptions& options, QIODevice& out,
                  QString* error, const std::function<void(qsizetype)>& written)
{
    if (members.isEmpty())
        return true;
    int threads = options.threads > 0 ? options.threads : int(std::thread::hardware_concurrency());
    threads = qBound(1, threads, int(qMin<qsizetype>(members.size(), 64)));
    BatchCompressor compressor(members, options, threads);
    for (qsizetype i = 0; i < members.size(); ++i) {
        std::unique_ptr<PreparedMember> member = compressor.take(i, error);
        if (!member || !member->writeTo(out, error))
            return false;
        if (written)
            written(i);
    }
    return true;
}

bool writeEndOfArchive(QIODevice& out, QString* error)
{
    if (out.write("\0", 1) != 1)
        return fail(error, out.errorString());
    return true;
}

} // namespace LhaWriter
