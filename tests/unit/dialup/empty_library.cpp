// A library named like the remote-access library that has none of its functions.
extern "C" __declspec(dllexport) int NothingToDial() {
  return 0;
}
