// Placeholder until the start sequence lands.
int main() { return 0; }
