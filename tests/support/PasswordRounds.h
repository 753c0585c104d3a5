#pragma once
// Test programs hash passwords with few rounds (TestMain.cpp): every test makes a database with
// a digest in it, and most log in. A test of the digests themselves holds the program's count.

#include "store/accounts/PasswordHash.h"

namespace tavlo::test {

inline constexpr int kTestPasswordIterations = 1024;

// The count in force while it lives; the one before afterwards.
class PasswordRounds {
public:
    explicit PasswordRounds(int iterations)
        : m_before(PasswordIterations())
    {
        SetPasswordIterationsForTests(iterations);
    }
    ~PasswordRounds() { SetPasswordIterationsForTests(m_before); }
    PasswordRounds(const PasswordRounds&) = delete;
    PasswordRounds& operator=(const PasswordRounds&) = delete;

private:
    int m_before;
};

} // namespace tavlo::test
