-- Number of live orders of the supplier with this external number, leaving
-- out the order being changed; the same answer as the embedded procedure of
-- this name.
CREATE FUNCTION SP_QBX_DUP_PEDIDO_OLT1(in_externo text, in_fornecedor numeric, in_pedido numeric)
    RETURNS TABLE ("Contador" integer) LANGUAGE plpgsql AS $$
DECLARE
    v_fornecedor integer := Infra_Inteiro(in_fornecedor);
    v_pedido integer := Infra_Inteiro(in_pedido);
BEGIN
    RETURN QUERY
    SELECT COUNT(*)::integer
      FROM PEDIDO
     WHERE NUM_PEDIDO_EXTERNO = in_externo
       AND FORNECEDOR_ID = v_fornecedor
       AND TAB_STATUS_ID = 1
       AND (COALESCE(v_pedido, 0) = 0 OR PEDIDO_ID <> v_pedido);
END
$$;
