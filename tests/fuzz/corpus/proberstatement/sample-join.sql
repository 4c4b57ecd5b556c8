SELECT o.id, o.placed_on, o.total
FROM orders o JOIN customers c ON c.id = o.customer_id
WHERE c.id = 0
ORDER BY o.placed_on DESC