#pragma once
// File permissions do not stop the superuser, and CI runs the tests as the superuser. A test of a
// permission case calls RanAsUnprivilegedChild() first: as the superuser it runs the same test
// again in a child process as the unprivileged user "nobody", checks that it passed there, and
// returns true (the caller then returns); as any other user it returns false and the test goes on.
namespace lumivane::test {

bool RanAsUnprivilegedChild();

}  // namespace lumivane::test
