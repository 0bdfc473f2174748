// SPDX-License-Identifier: GPL-3.0-or-later
// main() for the tests of the widget-free layers: a QCoreApplication, which
// needs no platform and no display, as the command line runs.
#include <gtest/gtest.h>

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
