; c



Foo Bar\
