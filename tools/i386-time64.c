/* Preloaded into 32-bit Wine in front of the i386 libfaketime by
 * tools/test-e2e.sh. Wine for i386 is built with a 64-bit time_t and reads
 * the clock through glibc's time64 entry points; libfaketime 0.9.10 replaces
 * only the 32-bit ones, so without this a 32-bit Wine program sees the real
 * clock while the wineserver sees the moved one. Each call is handed to the
 * 32-bit entry point, which libfaketime answers, and widened; that holds
 * until 2038.
 *
 * No system header: the build needs only a compiler that takes -m32, not
 * the 32-bit C library's development files. The layouts are glibc's for
 * i386. */

struct timespec32 {
  long tv_sec;
  long tv_nsec;
};
struct timespec64 {
  long long tv_sec;
  long tv_nsec;
  int : 32;
};
struct timeval32 {
  long tv_sec;
  long tv_usec;
};
struct timeval64 {
  long long tv_sec;
  long long tv_usec;
};

int clock_gettime(int clock, struct timespec32 *ts);
int gettimeofday(struct timeval32 *tv, void *tz);
long time(long *t);

int __clock_gettime64(int clock, struct timespec64 *ts) {
  struct timespec32 t;
  int result = clock_gettime(clock, &t);
  if (result == 0) {
    ts->tv_sec = t.tv_sec;
    ts->tv_nsec = t.tv_nsec;
  }
  return result;
}

int __gettimeofday64(struct timeval64 *tv, void *tz) {
  struct timeval32 t;
  int result = gettimeofday(&t, tz);
  if (result == 0 && tv) {
    tv->tv_sec = t.tv_sec;
    tv->tv_usec = t.tv_usec;
  }
  return result;
}

long long __time64(long long *t) {
  long long now = time(0);
  if (t) *t = now;
  return now;
}
