/* Interposed on a program with LD_PRELOAD: pthread_create fails with
 * EAGAIN once QORVEL_THREADS_LEFT threads (default none) have started, as
 * on a system out of threads. tests/cli/fault_test.sh checks that qorvel
 * then does the work itself; bench/library.sh times qorvel so, on one
 * thread. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <stdlib.h>
int pthread_create(pthread_t* t, const pthread_attr_t* a, void* (*f)(void*), void* arg) {
  static int left = -1;
  if (left < 0) left = atoi(getenv("QORVEL_THREADS_LEFT") ? getenv("QORVEL_THREADS_LEFT") : "0");
  if (left == 0) return EAGAIN;
  --left;
  int (*real)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*) =
      (int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*))dlsym(RTLD_NEXT, "pthread_create");
  return real(t, a, f, arg);
}
