#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>

// Both virtual registers, the one in process and the one inside the C library, read the bench
// and the driver log from the environment: set them before either starts.
int main(int argc, char** argv) {
    QTemporaryDir logDir;
    qputenv("VELMOR_BENCH", VELMOR_CONTRACT_DATA "/bench.json");
    qputenv("VELMOR_DRIVER_LOG", logDir.filePath("driver.log").toUtf8());
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
