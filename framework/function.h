#ifndef SENSORCONTROL_FRAMEWORK_FUNCTION_H
#define SENSORCONTROL_FRAMEWORK_FUNCTION_H

#include "SafePointer.h"

// An argument-less callback: a plain function or a member function bound to an
// object. It is the body type of GThread.
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

// A member function of C (virtual or not) bound to one object of C.
template <class R, class C>
class bind_funcobj0 {
public:
    bind_funcobj0(C* p_pObject, R (C::*p_pFun)()) : m_pObject(p_pObject), m_pFun(p_pFun) {}
    R operator()() const { return (m_pObject->*m_pFun)(); }

private:
    C* m_pObject;
    R (C::*m_pFun)();
};

template <class R, class C>
class function_obj<R, bind_funcobj0<R, C> > : public function_obj_base<R> {
public:
    explicit function_obj(const bind_funcobj0<R, C>& p_bound) : m_bound(p_bound) {}
    R operator()() override { return m_bound(); }

private:
    bind_funcobj0<R, C> m_bound;
};

template <class R, class C>
bind_funcobj0<R, C> bind_funcobj(C* p_pObject, R (C::*p_pFun)()) {
    return bind_funcobj0<R, C>(p_pObject, p_pFun);
}

template <class R>
class function {
public:
    function(R (*p_pFun)()) : m_pFun(new function_obj<R, R (*)()>(p_pFun)) {}

    template <class C>
    function(const bind_funcobj0<R, C>& p_bound)
        : m_pFun(new function_obj<R, bind_funcobj0<R, C> >(p_bound)) {}

    R operator()() const { return (*m_pFun)(); }

private:
    SafePointer<function_obj_base<R> > m_pFun;
};

#endif
