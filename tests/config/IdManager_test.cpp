#include <gtest/gtest.h>

#include <climits>
#include <set>

#include "config/IdManager.h"

TEST(IdManager, RegistersInclusiveRangesAndIgnoresInvalidOnes) {
    IdManager ids;
    ids.addParameterId(ID_TYPE_COMMON, 5, 4);
    ids.addParameterId(0, 1, 10);
    ids.addParameterId(5, 1, 10);
    ids.addParameterId(-1, 1);
    std::set<int> list{99};
    ids.getCommonIdList(list);
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(ids.isIdExist(1));

    ids.addParameterId(ID_TYPE_SET_ONLY, 64, 64);
    ids.addParameterId(ID_TYPE_COMMON, 1, 3);
    ids.addParameterId(ID_TYPE_COMMON, 2, 4);
    ids.addParameterId(ID_TYPE_ESPECIAL, 7);
    ids.addParameterId(ID_TYPE_KEEP_DEFAULT, INT_MAX - 1, INT_MAX);
    ids.getCommonIdList(list);
    EXPECT_EQ((std::set<int>{1, 2, 3, 4}), list);
    ids.getSetOnlyIdList(list);
    EXPECT_EQ(std::set<int>{64}, list);
    ids.getEspecialIdList(list);
    EXPECT_EQ(std::set<int>{7}, list);
    ids.getKeepDefaultValueList(list);
    EXPECT_EQ((std::set<int>{INT_MAX - 1, INT_MAX}), list);
    EXPECT_EQ(ID_TYPE_SET_ONLY, ids.getIdType(64));
    EXPECT_EQ(ID_TYPE_NONE, ids.getIdType(63));
    EXPECT_EQ(0, ids.isIdExist(63));
    EXPECT_EQ(1, ids.isIdExist(7));
}

TEST(IdManager, TypePrecedenceIsKeepDefaultCommonEspecialSetOnly) {
    IdManager ids;
    ids.addParameterId(ID_TYPE_SET_ONLY, 1, 4);
    ids.addParameterId(ID_TYPE_ESPECIAL, 1, 3);
    ids.addParameterId(ID_TYPE_COMMON, 1, 2);
    ids.addParameterId(ID_TYPE_KEEP_DEFAULT, 1, 1);
    EXPECT_EQ(ID_TYPE_KEEP_DEFAULT, ids.getIdType(1));
    EXPECT_EQ(ID_TYPE_COMMON, ids.getIdType(2));
    EXPECT_EQ(ID_TYPE_ESPECIAL, ids.getIdType(3));
    EXPECT_EQ(ID_TYPE_SET_ONLY, ids.getIdType(4));
}
