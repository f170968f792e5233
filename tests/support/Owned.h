#ifndef SENSORCONTROL_TESTS_SUPPORT_OWNED_H
#define SENSORCONTROL_TESTS_SUPPORT_OWNED_H

// A controller a test owns directly (on the stack, in a unique_ptr) rather
// than through SafePointer: like the last SafePointer release, it stops the
// controller's threads before any of its destructors runs. It must be the
// most derived class (final): a class above it would already be torn down
// (its vtable gone) while a thread still calls into it.
template <class Controller>
class Owned final : public Controller {
public:
    using Controller::Controller;
    ~Owned() override { this->stopThreads(); }
};

#endif
