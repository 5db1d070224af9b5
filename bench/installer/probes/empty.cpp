// Size probe: a program that does nothing, for the cost of the C/C++ runtime alone.
int main() { return 0; }
