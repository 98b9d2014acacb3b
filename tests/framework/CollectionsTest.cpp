#include <gtest/gtest.h>
#include "framework/Collections.h"
#include "framework/Object.h"
#include "framework/Sync.h"

TEST(CDWordArray, SizeAddInsertRemove)
{
    CDWordArray a;
    EXPECT_EQ(0, a.GetSize());
    a.SetSize(3);
    EXPECT_EQ(3, a.GetSize());
    EXPECT_EQ(0u, a[0]) << "new elements are zero";
    a[1] = 7;
    a.Add(9);
    EXPECT_EQ(4, a.GetSize());
    a.InsertAt(0, 5);
    const DWORD expected[] = { 5, 0, 7, 0, 9 };
    ASSERT_EQ(5, a.GetSize());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(expected[i], a.GetAt(i)) << i;
    a.RemoveAt(1, 2);
    EXPECT_EQ(3, a.GetSize());
    EXPECT_EQ(5u, a[0]);
    EXPECT_EQ(0u, a[1]);
    EXPECT_EQ(9u, a[2]);
    for (DWORD i = 0; i < 2000; ++i)
        a.Add(i);
    EXPECT_EQ(2003, a.GetSize());
    EXPECT_EQ(1999u, a[2002]);
    a.SetSize(1);
    EXPECT_EQ(1, a.GetSize());
    a.SetSize(2);
    EXPECT_EQ(0u, a[1]) << "growing again must clear the reused slot";
}

TEST(CObject, RuntimeClassOfFrameworkClasses)
{
    CDWordArray a;
    CMutex m;
    EXPECT_STREQ("CDWordArray", a.GetRuntimeClass()->m_lpszClassName);
    EXPECT_TRUE(a.IsKindOf(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(a.IsKindOf(RUNTIME_CLASS(CMutex)));
    EXPECT_TRUE(m.IsKindOf(RUNTIME_CLASS(CSyncObject)));
    EXPECT_EQ(RUNTIME_CLASS(CSyncObject), RUNTIME_CLASS(CMutex)->m_pBaseClass);
    EXPECT_EQ(0xFFFFu, RUNTIME_CLASS(CMutex)->m_wSchema) << "not serialisable";
    EXPECT_EQ(nullptr, RUNTIME_CLASS(CMutex)->m_pfnCreateObject) << "no dynamic creation";
}
