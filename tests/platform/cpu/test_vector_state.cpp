#include "platform/cpu/VectorState.h"
#include "platform/ftp/listing/FtpListingReader.h"

#include <QSslConfiguration>
#include <QTest>
#include <functional>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <cpuid.h>
#include <immintrin.h>

namespace {

// The processor reports which register states are in use (XGETBV 1); bit 2
// stands for the upper halves of the wide vector registers.
bool canTellUse()
{
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid_count(0xD, 1, &eax, &ebx, &ecx, &edx) && (eax & 4) != 0;
}

__attribute__((target("xsave"))) bool upperHalvesInUse()
{
    return (_xgetbv(1) & 4) != 0;
}

} // namespace
#else
namespace {
bool canTellUse()
{
    return false;
}
bool upperHalvesInUse()
{
    return false;
}
} // namespace
#endif

using Clearer = std::function<void()>;
Q_DECLARE_METATYPE(Clearer)

class TestVectorState : public QObject
{
    Q_OBJECT
private slots:
    // The system's certificates leave the upper halves in use; whatever runs
    // after them on our side gives them back.
    void certificatesLeaveNothingInUseBehindUs_data()
    {
        QTest::addColumn<Clearer>("clear");
        QTest::newRow("clearWideVectorState") << Clearer([] { clearWideVectorState(); });
        QTest::newRow("listing block") << Clearer([] {
            FtpListingReader reader(false, QDate(2026, 12, 7), FtpNameEncoding::Utf8);
            reader.feed("-rw-r--r-- 1 u g 5 Dec 07 21:19 a\n");
        });
    }
    void certificatesLeaveNothingInUseBehindUs()
    {
        QFETCH(Clearer, clear);
        if (!canTellUse())
            QSKIP("This processor does not tell which register states are in use.");
        QSslConfiguration::systemCaCertificates();
        const bool dirtied = upperHalvesInUse();
        clear();
        const bool left = upperHalvesInUse();
        if (!dirtied)
            QSKIP("Loading the certificates left the registers clear here.");
        QVERIFY(!left);
    }
};

QTEST_GUILESS_MAIN(TestVectorState)
#include "test_vector_state.moc"
