// Keeps a layer library non-empty until its first source lands.
