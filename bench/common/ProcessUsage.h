#pragma once

// What the benchmark's own process uses: resident memory in kilobytes (-1
// when unknown) and CPU time, user and system, in seconds.
long residentKilobytes();
double cpuSeconds();
