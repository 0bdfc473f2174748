// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/NumLib.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

TEST(NumLib, LoadsBesideTheExecutableFirst)
{
    NumLib lib;
    float start, end;
    int32_t count;
    lib.tkrnd2(0.0f, 1.0f, start, end, count);
    EXPECT_NE(lib.loadedFrom().find('/'), std::string::npos) << lib.loadedFrom();
}

TEST(NumLib, AMissingLibraryIsAnErrorNotACrash)
{
    TestFolder folder;
    const QString fake = folder.write(QStringLiteral("libkelvane.so"), "not a library");
    NumLib lib({ folder.path(QStringLiteral("nowhere.so")).toStdString(), fake.toStdString(),
        "libkelvane-does-not-exist.so" });
    PointArray pts;
    CommentBuffer comments;
    int32_t n = 0, ncomm = 0;
    EXPECT_THROW(lib.getdata(pts, n, QStringLiteral("x"), ncomm, comments), NumLibError);
    float start, end;
    int32_t count;
    EXPECT_THROW(lib.tkrnd2(0, 1, start, end, count), NumLibError);
}

TEST(NumLib, ALibraryWithoutTheExportsIsRefused)
{
    // libm loads fine but has none of the three routines.
    NumLib lib({ "libm.so.6" });
    float start, end;
    int32_t count;
    EXPECT_THROW(lib.tkrnd2(0, 1, start, end, count), NumLibError);
}
