#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "config/SensorCache.h"

TEST(SensorCache, SingleEntries) {
    SensorCache cache;
    int value = -7;
    EXPECT_FALSE(cache.getSensorValue(5, value));
    EXPECT_EQ(-7, value);
    EXPECT_FALSE(cache.isEqualToCache(5, 0));
    EXPECT_TRUE(cache.setSensorValue(5, 1));
    EXPECT_TRUE(cache.setSensorValue(5, 2));
    EXPECT_EQ(1u, cache.size());
    EXPECT_TRUE(cache.getSensorValue(5, value));
    EXPECT_EQ(2, value);
    EXPECT_TRUE(cache.isEqualToCache(5, 2));
    EXPECT_FALSE(cache.isEqualToCache(5, 1));
    EXPECT_TRUE(cache.isIdExist(5));
    EXPECT_FALSE(cache.isIdExist(6));
}

TEST(SensorCache, WalksInIdOrderAndClearEndsTheWalk) {
    SensorCache cache;
    int id = -1;
    int value = -1;
    EXPECT_FALSE(cache.getFirstIdValue(id, value));
    EXPECT_FALSE(cache.getNextIdValue(id, value));
    cache.setSensorValue(3, 30);
    cache.setSensorValue(1, 10);
    ASSERT_TRUE(cache.getFirstIdValue(id, value));
    EXPECT_EQ(1, id);
    EXPECT_EQ(10, value);
    cache.setSensorValue(2, 20);  // inserted during the walk, after the cursor
    ASSERT_TRUE(cache.getNextIdValue(id, value));
    EXPECT_EQ(2, id);
    ASSERT_TRUE(cache.getNextIdValue(id, value));
    EXPECT_EQ(3, id);
    EXPECT_EQ(30, value);
    EXPECT_FALSE(cache.getNextIdValue(id, value));
    EXPECT_FALSE(cache.getNextIdValue(id, value));
    EXPECT_EQ(3, id);

    ASSERT_TRUE(cache.getFirstIdValue(id, value));
    cache.clear();
    EXPECT_FALSE(cache.getNextIdValue(id, value));
    EXPECT_EQ(1, id);
}

TEST(SensorCache, ConvertsToAndFromParameterText) {
    SensorCache cache;
    EXPECT_TRUE(cache.setSensorValues("(2,20)(1,10)"));
    EXPECT_TRUE(cache.setSensorValues("(3,30)(1,11)"));
    std::string text;
    EXPECT_TRUE(cache.getAllSensorValues(text));
    EXPECT_EQ("(1,11)(2,20)(3,30)", text);

    testing::internal::CaptureStdout();
    EXPECT_FALSE(cache.setSensorValues("(4,40)(5,"));
    EXPECT_EQ("parseSensorParameter failed\n", testing::internal::GetCapturedStdout());
    EXPECT_TRUE(cache.isIdExist(4));  // pairs before the fault stay
}

TEST(SensorCache, GetsValuesOfAnIdSetOrIdList) {
    SensorCache cache;
    cache.setSensorValues("(1,10)(2,20)(3,30)");
    std::string text = "old";
    EXPECT_TRUE(cache.getSensorValues(std::set<int>{}, text));
    EXPECT_EQ("", text);
    EXPECT_TRUE(cache.getSensorValues(std::set<int>{3, 1}, text));
    EXPECT_EQ("(1,10)(3,30)", text);
    EXPECT_FALSE(cache.getSensorValues(std::set<int>{1, 4}, text));
    EXPECT_EQ("(1,10)(3,30)", text);
    EXPECT_TRUE(cache.getSensorValues(std::string("2, 3"), text));
    EXPECT_EQ("(2,20)(3,30)", text);

    testing::internal::CaptureStdout();
    EXPECT_FALSE(cache.getSensorValues(std::string("2,,3"), text));
    EXPECT_EQ("________SensorParameterParser::parseParameterIdList(2,,3) failed\n",
              testing::internal::GetCapturedStdout());
    EXPECT_EQ("(2,20)(3,30)", text);
}

TEST(SensorCache, StaysConsistentUnderConcurrentWritersAndReaders) {
    SensorCache cache;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&cache, t] {
            for (int n = 0; n < 2000; ++n) {
                cache.setSensorValue(t * 1000 + n % 100, n);
                std::string text;
                cache.getAllSensorValues(text);
                int value = 0;
                cache.getSensorValue(n % 100, value);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(400u, cache.size());
    int value = 0;
    EXPECT_TRUE(cache.getSensorValue(3099, value));
    EXPECT_EQ(1999, value);
}
