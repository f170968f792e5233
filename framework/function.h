#ifndef SENSORCONTROL_FRAMEWORK_FUNCTION_H
#define SENSORCONTROL_FRAMEWORK_FUNCTION_H
/// @file
/// function, the argument-less callback that is the body type of GThread.

#include "SafePointer.h"

/// @cond
// An argument-less callback: a plain function or a member function bound to an
// object. It is the body type of GThread. The holders below are its own
// business.
template <class R>
class function_obj_base {
public:
    virtual ~function_obj_base() = default;
    virtual R operator()() = 0;
};

template <class R, class F>
class function_obj;

template <class R>
class function_obj<R, R (*)()> : public function_obj_base<R> {
public:
    explicit function_obj(R (*p_pFun)()) : m_pFun(p_pFun) {}
    R operator()() override { return m_pFun(); }

private:
    R (*m_pFun)();
};
/// @endcond

/// A member function of C (virtual or not) bound to one object of C.
template <class R, class C>
class bind_funcobj0 {
public:
    /// The member function p_pFun of the object p_pObject, which must outlive
    /// the binding.
    bind_funcobj0(C* p_pObject, R (C::*p_pFun)()) : m_pObject(p_pObject), m_pFun(p_pFun) {}
    /// Calls the member function on the object.
    R operator()() const { return (m_pObject->*m_pFun)(); }

private:
    C* m_pObject;
    R (C::*m_pFun)();
};

/// @cond
template <class R, class C>
class function_obj<R, bind_funcobj0<R, C> > : public function_obj_base<R> {
public:
    explicit function_obj(const bind_funcobj0<R, C>& p_bound) : m_bound(p_bound) {}
    R operator()() override { return m_bound(); }

private:
    bind_funcobj0<R, C> m_bound;
};
/// @endcond

/// Binds a member function to an object: bind_funcobj(this, &C::body).
template <class R, class C>
bind_funcobj0<R, C> bind_funcobj(C* p_pObject, R (C::*p_pFun)()) {
    return bind_funcobj0<R, C>(p_pObject, p_pFun);
}

/// An argument-less callback: a plain function or a member function bound to an
/// object. It is the body type of GThread; copies share one callable.
template <class R>
class function {
public:
    /// A plain function.
    function(R (*p_pFun)()) : m_pFun(new function_obj<R, R (*)()>(p_pFun)) {}

    /// A member function bound to an object (bind_funcobj()).
    template <class C>
    function(const bind_funcobj0<R, C>& p_bound)
        : m_pFun(new function_obj<R, bind_funcobj0<R, C> >(p_bound)) {}

    /// Calls the callback.
    R operator()() const { return (*m_pFun)(); }

private:
    SafePointer<function_obj_base<R> > m_pFun;
};

#endif
